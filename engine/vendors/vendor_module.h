#pragma once
// The four vendor modules as the engine's core sees them: one abstract class per vendor, each listing the routines
// that the core (property store, event processing, session open and the action dispatch) calls for that vendor.
// A vendor module implements its class and registers one instance; until then its vendor answers every dispatched
// action as a camera without a vendor does (see dispatch.h).
//
// A routine that a module leaves out answers as the vendor lacking it: 0xFF0F for a ResponseCode, false, 0, none.
// Arguments are the dispatch's own unless a comment says otherwise.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/vendor_state.h"

// Routines every vendor module has.
class VendorModule {
public:
    virtual ~VendorModule() = default;

    // --- session open ---
    // Called for every registered module at each session open, before the vendor is known: clear the values the
    // module keeps per session (Nikon's capture flag; the cached bracketing maxima of Canon and Nikon, which are marked
    // unknown again).
    virtual void sessionStarting() {}
    // The model-table lookup on the session's DeviceInfo model text (camModelName): true at the first match, having
    // set the model index (camSetModelIndex) and the module's per-model values.
    virtual bool identifyModel() { return false; }
    // The vendor's property-name table, ending with the vendor's sentinel row.
    virtual const PropertyNameStruct* propertyNames() { return nullptr; }
    // The vendor's session open after the model check.
    virtual ResponseCode openSession() { return ERROR_CAMERA_NOT_SUPPORTED; }

    // --- property store ---
    // The vendor's setter of one property value (validation, pausing and confirmation are the core's).
    virtual ResponseCode setProperty(uint32_t /*code*/, uint32_t /*value*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The confirmation wait after a set: true once the camera reports the value.
    virtual bool confirmProperty(uint32_t /*code*/, uint32_t /*value*/) { return true; }

    // --- checks that the automation and the session route to the current vendor's module ---
    // Bulb exposures can be taken from the computer now.
    virtual bool bulbAvailable() { return false; }
    // The camera's shutter is set to Bulb now (the vendor's own bulb test).
    virtual bool isBulb() { return false; }
    // ISO is set to automatic.
    virtual bool isAutoIso() { return false; }
    // The camera can be put into host (client) mode.
    virtual bool hostModeAvailable() { return false; }
    // The focus state follows focus changes reported by the camera.
    virtual bool focusUpdated() { return false; }
    // The mirror is up (a mirror-up shot waits for its second press).
    virtual bool mirrorUp() { return false; }
    // The flash switched on or off; 0xFF1B where the camera has no switch.
    virtual ResponseCode toggleFlash(bool /*on*/) { return PTP_ERROR_UNSUPPORTED_COMMAND; }
    // A drive-mode value of the given drive property is a continuous (burst) one.
    virtual bool stillCaptureMode(uint32_t /*code*/, uint32_t /*value*/) { return false; }
    // The drive settings would spoil a sequence of single shots.
    virtual bool hdrPrepareCapture() { return false; }

    // --- dispatched actions that every vendor routes to its module ---
    virtual ResponseCode capture() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode bulbStart() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode bulbStop() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode liveViewZoom(uint32_t /*percent*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The zoom area from a point of the live-view frame (fractions 0..1) and the shown size.
    virtual ResponseCode liveViewZoomArea(double /*x*/, double /*y*/, double /*width*/, double /*height*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    virtual ResponseCode liveViewTap() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool movieRecordingSupported() { return false; }
    virtual ResponseCode movieRecordStart() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode movieRecordStop() { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Every property read again (Sony: its refresh with 1, one immediate blocking event poll).
    virtual ResponseCode refreshAllProperties() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual float exposureCompGet(uint32_t /*value*/) { return 0.0f; }
    virtual float exposureCompMax(uint32_t /*movie*/) { return 0.0f; }
    virtual float exposureCompMin(uint32_t /*movie*/) { return 0.0f; }
    // Image-format picker: a new list that begins with -1 (none); kind 6 RAW, 1 JPEG.
    virtual ResponseCode imageFormatChoices(int /*kind*/, std::vector<int32_t>* /*list*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    virtual ResponseCode imageFormatRawValue(int32_t* /*out*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode imageFormatJpegValue(int32_t* /*out*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setImageFormat(int32_t /*raw*/, int32_t /*jpeg*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
};

class FujiModule : public VendorModule {
public:
    // --- property store ---
    // The module's own text for a value (before the value-name tables), or none.
    virtual std::optional<std::string> formatValueText(uint32_t /*code*/, uint32_t /*value*/) { return std::nullopt; }
    // The value of the text-valued image size 0x5003 for its text (0xFFFF when none matches).
    virtual uint32_t imageSizeIndex(const char* /*text*/) { return 0xFFFF; }
    // GetDevicePropValue / GetDevicePropDesc through the module's own request.
    virtual ResponseCode getPropValue(uint32_t /*code*/, HeapBlock* /*data*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode getPropDesc(uint32_t /*code*/, HeapBlock* /*data*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Re-reads one record's description from the camera.
    virtual bool refreshProperty(uint32_t /*code*/) { return false; }
    // The device's property-changed record applied to the store: the record, or none.
    virtual PropertyStruct* applyPropertyChange(uint32_t /*code*/, uint32_t /*value*/, uint8_t /*enabled*/) {
        return nullptr;
    }
    // Live view stopped by a set or a shot and to be switched on again.
    virtual bool liveViewRestartPending() { return false; }
    virtual void clearLiveViewRestart() {}
    // The PC-priority (client-mode) flag.
    virtual bool clientMode() { return false; }
    // Host mode: PC priority on or off (the low byte of the session's host mode, non-zero = on).
    virtual ResponseCode setPriorityMode(bool /*on*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int shotsAvailable() { return 0; }

    // --- dispatched actions ---
    virtual ResponseCode captureRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode halfPress() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode halfPressRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setLiveView(bool /*on*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual uint32_t liveViewZoomLevel() { return 0; }
    virtual ResponseCode liveViewTapRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode nudgeFocusArea(int /*direction*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool hasFocus() { return false; }
    virtual bool isAutoFocus() { return false; }
    virtual bool isManualFocus() { return false; }
    // Focus mode: 1 manual, 0 autofocus.
    virtual ResponseCode setManualFocus(uint32_t /*manual*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Focus drive by position units (the dispatch turns step sizes 1, 2, 3 into 6, 50, 140).
    virtual ResponseCode driveFocus(int /*steps*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual uint32_t exposureCompSelected(float /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int exposureCompCount() { return 0; }
    virtual ResponseCode movieModeOn() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode movieModeOff() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool formatIsRawPlusJpeg() { return false; }
    // One focus-stack shot: the capture, then the exposure waited out (0xFF16 when the stack is cancelled meanwhile).
    virtual ResponseCode focusStackShot() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual void cancelFocusStack() {}
    // The focus position 0xD171 set without confirmation.
    virtual ResponseCode focusPosition(uint32_t /*position*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The lens's current focal length in mm.
    virtual ResponseCode readFocalLength(int32_t* /*millimetres*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The AF frame as fractions of the picture.
    virtual ResponseCode afOverlayRect(double* /*x*/, double* /*y*/, double* /*width*/, double* /*height*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    // The property button's image-format value, and the label of such a value.
    virtual ResponseCode imageFormatValue(uint32_t* /*out*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual std::string imageFormatLabel(int32_t /*value*/) { return {}; }
};

class CanonModule : public VendorModule {
public:
    // --- property store ---
    // An alternative value-name table for a code (the CR3 shutter-speed names), or none.
    virtual const PropertyValueNamesStruct* valueNamesFor(uint32_t /*code*/) { return nullptr; }
    virtual ResponseCode getPropertyValue(uint32_t /*code*/, HeapBlock* /*data*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    // The whole event list read again (camRefreshProperty).
    virtual ResponseCode refreshEvents() { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Canon's event list of one poll turned into store updates and camera events.
    virtual ResponseCode parseEvents(const uint8_t* /*data*/, size_t /*length*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The exposure-mode property code of the model (0xD105 or 0xD138).
    virtual uint32_t exposureModeCode() { return 0; }
    // The model can focus while live view is on; live view is on now.
    virtual bool liveViewAfSupported() { return false; }
    virtual bool liveViewOn() { return false; }
    // The check after session open.
    virtual ResponseCode checkSession() { return ERROR_CAMERA_NOT_SUPPORTED; }

    // --- dispatched actions ---
    virtual ResponseCode captureRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The ready probe after a bulb exposure ends.
    virtual bool waitReady() { return false; }
    virtual ResponseCode halfPress() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode halfPressRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setLiveView(bool /*on*/, bool /*switchEvfMode*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode liveViewFrame(HeapBlock* /*frame*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode liveViewTapRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool doubleTapSupported() { return false; }
    // The zoom-area position of the last live-view header; false without a header.
    virtual bool liveViewPosition(uint32_t* /*x*/, uint32_t* /*y*/) { return false; }
    virtual bool touchFocusSupported() { return false; }
    virtual int orientation() { return 1; }
    virtual ResponseCode driveLens(uint32_t /*step*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool hasMirrorUp() { return false; }
    virtual ResponseCode disableBracketing() { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The number of shots of one bracket.
    virtual int bracketCount() { return 0; }
    // Exposure-compensation code to stops and back.
    virtual float evCodeToFloat(uint32_t /*code*/) { return 0.0f; }
    virtual uint32_t evFloatToCode(float /*stops*/) { return 0; }
    virtual uint32_t exposureCompStep(float /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int exposureCompCount() { return 0; }
    virtual int bracketValues(float* /*out*/, bool /*forced*/, float /*step*/) { return 0; }
    virtual bool bracketEnabled() { return false; }
    // The largest bracket step the camera allows, in stops (kept for the session).
    virtual float bracketMax() { return 0.0f; }
    virtual bool bracketingUsable(bool /*needBracketProperty*/) { return false; }
    virtual ResponseCode movieModeOn() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode movieModeOff() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode imageFormatLabel(uint32_t /*value*/, uint32_t /*kind*/, uint32_t* /*code*/,
                                          std::string* /*text*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
};

class SonyModule : public VendorModule {
public:
    // --- property store ---
    virtual std::optional<std::string> formatValueText(uint32_t /*code*/, uint32_t /*value*/) { return std::nullopt; }
    virtual ResponseCode getPropertyValue(uint32_t /*code*/, HeapBlock* /*data*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    // Re-reads one property from the camera into its record (camGetPropertyNow).
    virtual ResponseCode readProperty(uint32_t /*code*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual PropertyStruct* applyPropertyChange(uint32_t /*code*/, uint32_t /*value*/, uint8_t /*enabled*/) {
        return nullptr;
    }
    // Every property read again (the device's "re-read everything" record).
    virtual ResponseCode loadProperties() { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Waits for a stepped set of the module in progress (takes and releases the stepping mutex).
    virtual void waitForStepping() {}
    // The camera reports extended-format properties: only then is a set confirmed.
    virtual bool extendedFormat() { return false; }
    virtual ResponseCode stepProperty(uint32_t /*code*/, int /*direction*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode checkSession() { return ERROR_CAMERA_NOT_SUPPORTED; }

    // --- dispatched actions ---
    virtual ResponseCode captureRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode takeShot() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode halfPress() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode halfPressRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setLiveView(bool /*on*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode liveViewFrame(HeapBlock* /*frame*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual uint32_t liveViewZoomLevel(uint32_t /*reread*/) { return 0; }
    virtual ResponseCode liveViewTapRelease() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool doubleTapZoom() { return false; }
    virtual ResponseCode nudge(int /*direction*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int orientation() { return 1; }
    virtual bool hasFocus() { return false; }
    virtual bool isAutoFocus() { return false; }
    virtual bool isManualFocus() { return false; }
    virtual ResponseCode setManualFocus(uint32_t /*manual*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // One lens step (the dispatch maps step sizes 1, 2, 3 to -3, -4, -6 and -1, -2, -3 to 3, 4, 6).
    virtual ResponseCode focusStep(int /*steps*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode disableBracketing() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual uint32_t exposureCompSelected(float /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool movieToggleAvailable() { return false; }
};

class NikonModule : public VendorModule {
public:
    // --- property store ---
    // The ISO value-name table of one model group (0-10, in the order of the store's ISO group table); none when the
    // module has none.
    virtual const PropertyValueNamesStruct* isoValueNames(int /*group*/) { return nullptr; }
    // The image-quality names of the newer models (0x5004).
    virtual const PropertyValueNamesStruct* alternativeQualityNames() { return nullptr; }
    // The colour temperature 0xD01E is converted on this model, and the conversion of one value.
    virtual bool convertsColourTemperature() { return false; }
    virtual uint32_t convertColourTemperature(uint32_t value) { return value; }
    // Host mode on (client mode).
    virtual bool clientMode() { return false; }
    virtual ResponseCode setHostMode(bool /*on*/, uint32_t /*refresh*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool refreshProperty(uint32_t /*code*/) { return false; }
    virtual ResponseCode parseEvents(const uint8_t* /*data*/, size_t /*length*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The focus-mode property code of the model.
    virtual uint32_t focusModeCode() { return 0; }
    // The device's property snapshot loaded and the store rebuilt from it (session start, after the session open).
    virtual ResponseCode loadPropertySnapshot() { return ERROR_CAMERA_NOT_SUPPORTED; }

    // --- dispatched actions ---
    // One further press while a shot stays busy (the device-ready operation).
    virtual ResponseCode deviceReady() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setLiveView(bool /*on*/, bool /*forMovie*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode liveViewFrame(HeapBlock* /*frame*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode autoFocus(bool /*wait*/, bool /*switchFirst*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool doubleTapSupported() { return false; }
    // The zoom-area position of the last live-view header, and a move of the area to a position.
    virtual bool liveViewPosition(uint32_t* /*x*/, uint32_t* /*y*/) { return false; }
    virtual ResponseCode liveViewMoveArea(uint32_t /*x*/, uint32_t /*y*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int orientation() { return 1; }
    virtual bool isAutoFocus(bool /*pressed*/) { return false; }
    virtual ResponseCode setManualFocus(uint32_t /*manual*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // Manual-focus drive: direction 1 near, 2 far.
    virtual ResponseCode mfDrive(uint32_t /*direction*/, uint32_t /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    // The models whose focus-stack drive amount is multiplied by 2.5.
    virtual bool focusDriveFactor() { return false; }
    virtual bool hasMirrorUp() { return false; }
    virtual ResponseCode disableBracketing() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode setBracketing(uint32_t /*step*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool exposureCompValues(uint8_t* /*below*/, uint8_t* /*above*/) { return false; }
    virtual uint32_t exposureCompSelected(float /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual float exposureCompCode(uint32_t /*index*/) { return 0.0f; }
    virtual uint32_t exposureCompStep(float /*amount*/) { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual int exposureCompCount() { return 0; }
    virtual int bracketValues(float* /*out*/, bool /*forced*/, float /*step*/) { return 0; }
    virtual bool bracketEnabled() { return false; }
    // The largest bracket step the camera allows, in stops (kept for the session).
    virtual float bracketMax() { return 0.0f; }
    virtual bool propertyUpdated() { return false; }
    virtual ResponseCode movieModeOn() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual ResponseCode movieModeOff() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool formatIsRawPlusJpeg() { return false; }
    virtual ResponseCode imageFormatLabel(uint32_t /*value*/, uint32_t /*kind*/, uint32_t* /*code*/,
                                          std::string* /*text*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    // Focus stacking: one shot, whether the model can stack, the classic loop (0xFF16 when cancelled; the progress
    // callback is told each shot taken) and its cancel.
    virtual ResponseCode focusStackShot() { return ERROR_CAMERA_NOT_SUPPORTED; }
    virtual bool focusStackSupported() { return false; }
    virtual ResponseCode focusStackRun(uint32_t /*shots*/, uint32_t /*direction*/, uint32_t /*steps*/,
                                       uint32_t /*delayMs*/, const std::function<void(uint32_t)>& /*progress*/) {
        return ERROR_CAMERA_NOT_SUPPORTED;
    }
    virtual void cancelFocusStack() {}
};

// Registration: each vendor module installs its one instance (none removes it). The instance must outlive its
// registration. Registering also installs the module's paths into the standard operations (vendor_hooks.h).
void vendorRegisterFuji(FujiModule* module);
void vendorRegisterCanon(CanonModule* module);
void vendorRegisterSony(SonyModule* module);
void vendorRegisterNikon(NikonModule* module);

// The registered module of a vendor, or none.
FujiModule* vendorFuji();
CanonModule* vendorCanon();
SonyModule* vendorSony();
NikonModule* vendorNikon();
// The module of the current session's vendor, or none (no vendor, or its module is not registered).
VendorModule* vendorCurrent();
// The module of a given vendor, or none.
VendorModule* vendorModuleFor(VendorType vendor);
// Calls fn(module) for every registered module.
template <class F>
void vendorForEach(F&& fn) {
    for (VendorType v : {VENDOR_FUJI, VENDOR_CANON, VENDOR_SONY, VENDOR_NIKON})
        if (VendorModule* m = vendorModuleFor(v)) fn(*m);
}

// Test reset: no module registered.
void vendorResetModules();
