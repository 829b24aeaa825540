// vorlaxent-window-shots: renders windows and panels in named states into PNGs (see shot_registry.h).
#include "app/tools/shot_registry.h"

int main(int argc, char** argv) { return window_shots::runWindowShots(argc, argv); }
