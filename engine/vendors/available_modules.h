#pragma once
// Registers every vendor module this build carries with the dispatch, before a session opens. A vendor
// without a module answers every vendor operation as unsupported.
void vendorRegisterAvailableModules();
