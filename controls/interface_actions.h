#pragma once
// Actions named in interface files. A control of a loaded file whose "action" property names an action (with the
// selector's colon, "dismiss:") sends that action up the responder chain when the user works it: a flat button or
// switch when pressed, a combo box when an entry is chosen. The controller of the view answers it in
// performAction, so the file, not the code, says which control sends what.
class QWidget;

namespace controls {

// Wires every control under `root` that names an action (a second call adds nothing).
void connectInterfaceActions(QWidget* root);

}  // namespace controls
