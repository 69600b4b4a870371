// Win32 code only: the progress window of a long step.
#include "platform/win32/Win32UserInterface.h"

namespace korvex::win32 {

class Win32UserInterface::ProgressWindow {};

Win32UserInterface::Win32UserInterface() = default;
Win32UserInterface::~Win32UserInterface() = default;

void Win32UserInterface::ShowProgress(const platform::ProgressState&) {}

void Win32UserInterface::HideProgress() {}

} // namespace korvex::win32
