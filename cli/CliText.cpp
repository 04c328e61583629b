#include "cli/CliText.h"

#include <array>
#include <cstddef>
#include <vector>

#include "platform/Strings.h"

namespace brelko::cli {

namespace {

struct Entry {
    Text id;
    const char* english;
    const char* danish;
};

// Keep in the order of the enumeration: the lookup checks it.
constexpr Entry kTexts[] = {
    {Text::ExitOk, "success", "udført"},
    {Text::ExitFailure, "other failure", "anden fejl"},
    {Text::ExitUsage, "usage error (bad command line)", "forkert kommandolinje"},
    {Text::ExitPortOpen, "the port cannot be opened", "porten kan ikke åbnes"},
    {Text::ExitNoContact, "no contact to the vision system (CTS off)", "ingen kontakt til vision system (CTS slukket)"},
    {Text::ExitWrongPort, "no echo: wrong port, or a fault of the line (the message says which)",
     "intet ekko: forkert port, eller en fejl på linjen (meddelelsen siger hvilken)"},
    {Text::ExitUnknownSystem, "unknown vision system (or a version reply that cannot be read)",
     "ukendt vision system (eller et versionssvar, der ikke kan læses)"},
    {Text::ExitReceiveError, "reception error", "fejl ved modtagelse"},
    {Text::ExitSendError, "sending error", "fejl ved afsendelse"},
    {Text::ExitChecksumError, "checksum error (the picture is saved all the same)",
     "kontrolsumsfejl (billedet er gemt alligevel)"},
    {Text::ExitBadFile, "bad input file", "ugyldig inddatafil"},
    {Text::ExitWriteError, "the output file cannot be written", "uddatafilen kan ikke skrives"},
    {Text::ExitCancelled, "cancelled (Ctrl+C)", "afbrudt (Ctrl+C)"},
    {Text::LabelPort, "Port:", "Port:"},
    {Text::LabelProduct, "Product:", "Produkt:"},
    {Text::LabelVersion, "Version:", "Version:"},
    {Text::LabelVersionNumber, "Version number:", "Versionsnummer:"},
    {Text::LabelState, "State:", "Tilstand:"},
    {Text::LabelReply, "Reply:", "Svar:"},
    {Text::Saved, "Saved %1 (%2 bytes)", "Gemt %1 (%2 bytes)"},
    {Text::ChecksumSaved, "Checksum error! The picture was saved all the same: %1",
     "Checksum error! Billedet er gemt alligevel: %1"},
    {Text::Cancelled, "Cancelled", "Afbrudt"},
    {Text::CannotRead, "Cannot read %1: %2", "Kan ikke læse %1: %2"},
    {Text::CannotWrite, "Cannot write %1: %2", "Kan ikke skrive %1: %2"},
    {Text::NoSerialDevices, "No serial devices found", "Ingen serielle enheder fundet"},
    {Text::Sent, "Sent %1 bytes", "Sendt %1 bytes"},
    {Text::LanguageSent, "Language file sent (%1 bytes, %2 lines) and saved on the vision system",
     "Sprogfil sendt (%1 bytes, %2 linjer) og gemt på vision system"},
    {Text::Converted, "Converted %1 to %2", "Konverteret %1 til %2"},
    {Text::Extracted, "Extracted %1", "Udpakket %1"},
    {Text::ArchiveEmpty, "The archive holds no files", "Arkivet indeholder ingen filer"},
    {Text::ArchiveError, "%1: %2", "%1: %2"},
    {Text::On, "on", "til"},
    {Text::Off, "off", "fra"},
    {Text::LineStates, "Line states:", "Linjetilstande:"},
    {Text::Configured, "configured", "valgt"},
    {Text::NotReady, "The vision system is not ready", "Vision system er ikke klar"},
    {Text::SimulatorFailed, "The simulator cannot start: %1", "Simulatoren kan ikke starte: %1"},
    {Text::Missing, "(missing)", "(mangler)"},
    {Text::EmptyFile, "the file is empty", "filen er tom"},
    {Text::WrongFileKind, "%1: the file name must end in %2", "%1: filnavnet skal ende på %2"},
    {Text::SavedPicture, "Saved %1 (%2)", "Gemt %1 (%2)"},
    {Text::SeeHelp, "Run brelko-cli --help for the options.", "Kør brelko-cli --help for at se valgmulighederne."},
    {Text::TraceStopped, "Warning: the trace %1 stopped early: %2", "Advarsel: sporingen %1 stoppede før tid: %2"},
    {Text::TraceIncomplete,
     "Warning: the trace %1 is incomplete: %2 bytes of the line are missing (it was not written fast enough; "
     "its notes say where)",
     "Advarsel: sporingen %1 er ufuldstændig: %2 bytes fra linjen mangler (den blev ikke skrevet hurtigt nok; "
     "dens noter siger hvor)"},
    {Text::NoDifferences, "%1 and %2 are the same", "%1 og %2 er ens"},
    {Text::RestoreChangesNothing, "A restore of %1 would change nothing on the vision system",
     "En genindlæsning af %1 ville ikke ændre noget på vision system"},
    {Text::SystemLabel, "vision system %1 on %2", "vision system %1 på %2"},
    {Text::DiffFiles, "diff needs two files, or --system and one file",
     "diff skal have to filer, eller --system og én fil"},
    {Text::LabelDevice, "device:", "enhed:"},
    {Text::LabelCom, "COM:", "COM:"},
    {Text::LabelUsb, "USB:", "USB:"},
    {Text::LabelDriver, "driver:", "driver:"},
    {Text::LabelAccess, "may open:", "må åbne:"},
    {Text::LabelInUse, "in use by:", "i brug af:"},
    {Text::Yes, "yes", "ja"},
    {Text::No, "no", "nej"},
    {Text::AccessJoinGroup, "no: join the group \"%1\" (sudo usermod -aG %1 $USER), then log in again",
     "nej: meld dig ind i gruppen \"%1\" (sudo usermod -aG %1 $USER), og log så ind igen"},
    {Text::AccessLogInAgain, "not yet: you are in the group \"%1\" now; log in again",
     "ikke endnu: du er nu med i gruppen \"%1\"; log ind igen"},
    {Text::AccessAskAdministrator, "no: ask the administrator for access", "nej: bed administratoren om adgang"},
    {Text::SerialNumber, "serial number %1", "serienummer %1"},
    {Text::NoDeviceListing, "This build lists no serial devices (it was made without libudev)",
     "Denne udgave viser ingen serielle enheder (den er bygget uden libudev)"},
    {Text::WarningLine, "Warning: %1", "Advarsel: %1"},
    {Text::NotSentForce, "%1 is not sent: %2. Use --force to send it all the same.",
     "%1 sendes ikke: %2. Brug --force for at sende den alligevel."},
    {Text::CtrlCAgain, "(Ctrl+C again within 3 seconds stops it at once.)",
     "(Ctrl+C igen inden for 3 sekunder stopper den straks.)"},
    {Text::Stopping, "Stopping... (Ctrl+C again quits at once)", "Stopper... (Ctrl+C igen afslutter straks)"},
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kTexts); ++i)
        if (static_cast<std::size_t>(kTexts[i].id) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "kTexts must follow the order of enum Text");

}  // namespace

std::string CliText(Text id) {
    const auto index = static_cast<std::size_t>(id);
    if (index >= std::size(kTexts)) return {};
    const Entry& entry = kTexts[index];
    return BuiltinLanguage() == Language::Danish ? entry.danish : entry.english;
}

std::string SentenceCase(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string Format(const std::string& pattern, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace brelko::cli
