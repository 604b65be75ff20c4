// acquire/wizard_rules.h
#pragma once

#include <QString>

// Choices of the acquisition wizard. -1 means neither radio button is
// selected; it counts as the camera on the first page and as removable
// media on the second.
enum WizardDevice : int { kDeviceCamera = 0, kDeviceScanner = 1 };
enum WizardSource : int { kSourceTwain = 0, kSourceMedia = 1 };

// Which controls of the camera page are enabled.
struct CameraPageEnabling
{
    bool twainRadio = false; // "Acquire Direct from Camera(via TWAIN)"
    bool mediaRadio = false; // "Acquire Photos from Removable Media(Memory Card)"
    bool mediaList = false;
    bool prefix = false;
    bool format = false;
    bool defaultSource = false; // "Use Default TWAIN Source"
    bool promptSource = false;  // "Prompt for TWAIN Source"

    bool operator==(const CameraPageEnabling &) const = default;
};

CameraPageEnabling CameraPageEnablingFor(int device, int source);

// True when finishing the wizard copies a memory card rather than talking TWAIN.
bool WizardImportsMedia(int device, int source);

// "Example:Photo0001.JPG,Photo0002.JPG" for format 0 and prefix "Photo".
QString WizardExampleText(int format, const QString &prefix);

// Formats of the wizard's list: 0 JPEG, 1 BMP, 2 TIFF, 3 PNG.
QString WizardFormatExtension(int format); // ".JPG", ".BMP", ".TIF", ".PNG"
int WizardFormatType(int format);          // image type ids 3, 1, 6, 4

// The message that keeps the wizard open on Finish, or "" to finish.
QString CameraPageFinishError(int device, int source, int mediaIndex, const QString &folder);
