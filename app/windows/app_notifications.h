#pragma once
// Notifications the windows post to one another (the session's own are in session/notification_names.h), and the
// menu refresh that every window sends when it becomes key.
#include <QObject>

// Which menu items apply now: a dictionary {"objectSelected": an image is shown in the sender, "sender": the
// posting controller as a reference to its QObject}.
inline constexpr const char* kRefreshMenuNotification = "JWNotification_RefreshMenu";
// Menu commands for the image the camera window shows (no object).
inline constexpr const char* kSaveCurrentImageNotification = "JWNotification_SaveCurrentImage";
inline constexpr const char* kSdTransferCurrentImageNotification = "JWNotification_SdTransferCurrentImage";
inline constexpr const char* kPrintCurrentImageNotification = "JWNotification_PrintCurrentImage";
// An image the card browser fetched: a dictionary {"ObjectInfo": PtpObjectInfoClass, "ImageData": data}.
inline constexpr const char* kImageDataNotification = "JWNotification_ImageData";
// Posted with false as a camera or tether-only window opens its session; nothing observes it.
inline constexpr const char* kSdCardWebEnabledToggledNotification = "JWNotification_SdCardWebEnabledToggled";

// Posts the menu refresh for `sender`.
void postRefreshMenu(const QObject* sender, bool objectSelected);
