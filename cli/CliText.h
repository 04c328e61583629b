// Texts that only the command-line tool shows, in English and Danish. Texts the
// status window also shows come from the program's string table (LoadString).
#pragma once

#include <initializer_list>
#include <string>

#include "platform/Strings.h"  // Bilingual

namespace brelko::cli {

enum class Text {
    ExitOk,
    ExitFailure,
    ExitUsage,
    ExitPortOpen,
    ExitNoContact,
    ExitWrongPort,
    ExitUnknownSystem,
    ExitReceiveError,
    ExitSendError,
    ExitChecksumError,
    ExitBadFile,
    ExitWriteError,
    ExitCancelled,
    LabelPort,
    LabelProduct,
    LabelVersion,
    LabelVersionNumber,
    LabelState,
    LabelReply,
    Saved,              // %1 file, %2 bytes
    ChecksumSaved,      // %1 file
    Cancelled,
    CannotRead,         // %1 file, %2 reason
    CannotWrite,        // %1 file, %2 reason
    NoSerialDevices,
    Sent,               // %1 bytes
    LanguageSent,       // %1 bytes, %2 lines
    Converted,          // %1 in, %2 out
    Extracted,          // %1 file
    ArchiveEmpty,
    ArchiveError,       // %1 archive, %2 reason
    On,
    Off,
    LineStates,
    Configured,
    NotReady,
    SimulatorFailed,    // %1 reason
    Missing,
    EmptyFile,
    WrongFileKind,      // %1 file, %2 extension
    SavedPicture,       // %1 file, %2 description
    SeeHelp,
    TraceStopped,       // %1 file, %2 reason
    TraceIncomplete,    // %1 file, %2 bytes missing
    NoDifferences,      // %1 file, %2 file
    RestoreChangesNothing,  // %1 file
    SystemLabel,        // %1 product and version, %2 port
    DiffFiles,
    LabelDevice,
    LabelCom,
    LabelUsb,
    LabelDriver,
    LabelAccess,
    LabelInUse,
    Yes,
    No,
    AccessJoinGroup,    // %1 group
    AccessLogInAgain,   // %1 group
    AccessAskAdministrator,
    SerialNumber,       // %1 serial number
    NoDeviceListing,
    WarningLine,        // %1 what
    NotSentForce,       // %1 file, %2 reason
    CtrlCAgain,
    Stopping,
};

// The text in the language of the built-in string table (Danish or English).
std::string CliText(Text id);

// The text with its first letter a capital, to start a sentence ("the
// device vanished" after "... not saved.").
std::string SentenceCase(std::string text);

// Replaces %1, %2, ... (up to %9) with the arguments, in one pass, so an
// argument that itself holds "%2" is left alone.
std::string Format(const std::string& pattern, std::initializer_list<std::string> args);

}  // namespace brelko::cli
