// A running program's progress file passed on to the Windows Installer, Windows only.
#include "packaging/customaction/ProgressRelay.h"

#include <msiquery.h>

#include "packaging/customaction/ChildProcess.h"
#include "packaging/customaction/InstallerHandle.h"
#include "platform/win32/Utf.h"

namespace korvex::customaction {

void ProgressRelay::Poll() {
    const std::string bytes = ReadFrom(path_, offset_);
    offset_ += static_cast<LONGLONG>(bytes.size());
    Send(messages_.Read(bytes));
}

void ProgressRelay::Finish() {
    Poll();
    Send(messages_.Finish());
}

void ProgressRelay::Send(const std::vector<InstallerMessage>& messages) const {
    for (const InstallerMessage& message : messages) {
        if (message.type == InstallerMessage::Type::ActionData) {
            Handle record(::MsiCreateRecord(1));
            ::MsiRecordSetStringW(record.get(), 1, win32::Widen(message.text).c_str());
            // The user's Cancel (IDCANCEL) is not acted on here: the program runs on and asks
            // its own questions; the installer ends as the program's exit code says.
            (void)::MsiProcessMessage(install_, INSTALLMESSAGE_ACTIONDATA, record.get());
        } else {
            Handle record(::MsiCreateRecord(3));
            for (unsigned field = 0; field < message.fields.size(); ++field) {
                ::MsiRecordSetInteger(record.get(), field + 1, message.fields[field]);
            }
            (void)::MsiProcessMessage(install_, INSTALLMESSAGE_PROGRESS, record.get());
        }
    }
}

} // namespace korvex::customaction
