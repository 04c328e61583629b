// Every user-visible text of the program, English and Danish. The texts are
// the program's own: spelling, spaces and line feeds are as the users know
// them and must stay so.
#include "StringTables.h"

#include "ResourceIds.h"

namespace brelko::res {

namespace {

constexpr StringEntry kStrings[] = {
    // Document strings: title, document name, new-document name, filter name,
    // filter extension, file-type id, file-type name.
    {IDR_MAINFRAME, "\nBrelko\nBrelko\n\n\nBrelko.Document\nBrelko Document",
     "\nBrelko\nBrelko\n\n\nBrelko.Document\nBrelko Dokument"},
    {IDR_TGATYPE, "\nTGA\nTGA\nPicture (*.tga)\n.tga\nTGABilled\nTGA Picture",
     "\nTGA\n\nBillede (*.tga)\n.tga\nTGABilled\nTGA Billede"},
    {IDR_MTXTYPE, "\nMTX\nMTX\nPicture(*.mtx)\n.mtx\nMTXBilled\nMTX Picture",
     "\nMTX\n\nBillede (*.mtx)\n.mtx\nMTXBilled\nMTX Billede"},
    {IDR_TXTTYPE, "\nTXT\nTXT\ntext-file (*.txt)\n.txt\ntxtfil\nText File",
     "\nTXT\n\ntekst-fil (*.txt)\n.txt\ntxtfil\nTekst Fil"},
    {IDR_ASCTYPE, "\nASC\nASC\nBackup-file (*.asc)\n.asc\nascfil\nBackup File",
     "\nASC\n\nBackup-fil (*.asc)\n.asc\nascfil\nBackup Fil"},

    // Options dialog, status window and transfer texts.
    {IDS_SERVICE_DATA, "Include extra service data in backup\n(should not be used in normal backup)",
     "Medtag ekstra Service Information i backup\n(Bør ikke anvendes til normal backup)"},
    {IDS_BYTES_RECEIVED, "Bytes received: ", "Bytes modtaget: "},
    {IDS_OF_TOTAL, "\nOf Total :    ", "\naf i alt :    "},
    {IDS_SENDING_DATA, "Sending Data", "Sender data"},
    {IDS_BYTES_SENT, "Bytes sent: ", "Bytes sendt: "},
    {IDS_SELECT_LANGUAGE, "Select Language:", "Vælg sprog:"},
    {IDS_WRONG_PORT, "Wrong com port selected on vision system", "Forkert port på vision system"},
    {IDS_CANNOT_OPEN_PORT, "Unable to Open COM Port!", "Ikke istand til at åbne COM Porten!"},
    {IDS_CLEARING_BUFFER, "Clearing System buffer", "Tømmer system buffer"},
    {IDS_PORT_OPEN, "COM port %1 open", "COM port %1 åben"},
    {IDS_SECONDS_LEFT, "\nSeconds left %d", "\nSekunder tilbage %d"},
    {IDS_NO_CONTACT, "No contact to vision system. Choose correct COM port and check serial cable.",
     "Ingen kontakt til vision system. Vælg korrekt COM port og chek seriel kabel."},
    {IDS_UNKNOWN_SYSTEM, "Unknown vision system", "Ukendt vision system"},
    {IDS_RECEIVING_DATA, "Recieving data", "Modtager data"},
    {IDS_PORT_NOT_OPEN, "COM port %1 not open", "COM port %1 ikke åben"},
    {IDS_PICTURE_ERROR, "Error receiving picture", "Fejl under hentning af billedet"},
    {IDS_SEND_ERROR, "Error sending data!", "Fejl under sending af data!"},
    {IDS_RECEIVE_ERROR, "Error recieving data!", "Fejl ved modtagelse af data!"},
    {IDS_COM_PORT, "COM port", "COM port"},
    {IDS_DATA_FOLDER, "Default data folder:", "Data bibliotek:"},

    // The windowed program's own texts.
    {IDS_DEVICE_PRESENT, "%1", "%1"},
    {IDS_DEVICE_ABSENT, "%1 (not present)", "%1 (findes ikke)"},
    {IDS_DEVICE_SIMULATOR, "simulator (%1)", "simulator (%1)"},
    {IDS_BROWSE, "Browse...", "Gennemse..."},
    {IDS_PIXEL_INDEXED, "x %1, y %2: index %3 (R %4, G %5, B %6)", "x %1, y %2: indeks %3 (R %4, G %5, B %6)"},
    {IDS_PIXEL_15BIT, "x %1, y %2: %3 (R %4, G %5, B %6 of 31)", "x %1, y %2: %3 (R %4, G %5, B %6 af 31)"},
    {IDS_NO_PICTURE_TO_SAVE, "There is no picture to save.", "Der er intet billede at gemme."},
    {IDS_QUIT_WHILE_BUSY,
     "A transfer with the vision system is running.\nStop it and quit when the system is ready again?",
     "En overførsel med vision systemet er i gang.\nStop den og afslut, når systemet er klar igen?"},
    {IDS_PORT_NO_DEVICE, "%1 does not exist: is the adapter plugged in, and is this the right COM port?",
     "%1 findes ikke: er adapteren sat i, og er det den rigtige COM port?"},
    {IDS_PORT_NO_PERMISSION,
     "No permission to open %1. Join the group \"%2\" (sudo usermod -aG %2 $USER) and log in again.",
     "Ingen adgang til %1. Meld dig ind i gruppen \"%2\" (sudo usermod -aG %2 $USER) og log ind igen."},
    {IDS_PORT_NO_PERMISSION_ASK, "No permission to open %1: ask the administrator for access.",
     "Ingen adgang til %1: bed administratoren om adgang."},
    {IDS_PORT_BUSY, "%1 is busy: %2 holds it.", "%1 er optaget: %2 bruger den."},
    {IDS_PORT_HOLDER_UNKNOWN, "another program", "et andet program"},
    {IDS_PORT_NOT_SERIAL, "%1 is not a serial port.", "%1 er ikke en seriel port."},
    {IDS_RESTORE_STOP_AGAIN, "Press Esc again within 3 seconds to stop it at once.",
     "Tryk Esc igen inden for 3 sekunder for at stoppe den straks."},
    {IDS_ADAPTER_UNPLUGGED, "The adapter %1 was unplugged; waiting for it",
     "Adapteren %1 blev taget ud; venter på den"},
    {IDS_ADAPTER_BACK, "The adapter %1 is back; connecting again", "Adapteren %1 er tilbage; forbinder igen"},
    {IDS_TRACE_OPTION, "Record the line to a file", "Optag linjen i en fil"},
    {IDS_TRACE_FAILED, "The line cannot be recorded to %1: %2", "Linjen kan ikke optages i %1: %2"},
    {IDS_TIE_PORT, "Tie COM %1 to:", "Knyt COM %1 til:"},
    {IDS_TIE_NONE, "(as it is)", "(som nu)"},
    {IDS_TIE_NO_PORT, "Tie the COM port to:", "Knyt COM porten til:"},
    {IDS_PORT_IN_USE, "in use by %1", "bruges af %1"},
    {IDS_PORT_JOIN_GROUP, "join group %1 to use it", "meld dig ind i gruppen %1 for at bruge den"},
    {IDS_COMPARE_TITLE, "%1 against the vision system", "%1 mod vision systemet"},
    {IDS_COMPARE_SUMMARY,
     "A restore of %1 would change the vision system's settings.\nLines taken away (-): %2. Lines brought in (+): %3.",
     "En gendannelse af %1 ville ændre vision systemets opsætning.\nLinjer der fjernes (-): %2. Linjer der tilføjes (+): %3."},
    {IDS_COMPARE_SAME, "A restore of %1 would change nothing on the vision system.",
     "En gendannelse af %1 ville ikke ændre noget på vision systemet."},
    {IDS_COMPARE_MENU, "&Compare with Vision System...", "Sa&mmenlign med Vision System..."},
    {IDS_CONFIRM_RESTORE_OPTION, "Show what a restore would change, and ask before sending",
     "Vis hvad en gendannelse ville ændre, og spørg før afsendelse"},
    {IDS_COMPARE_SYSTEM_LABEL, "vision system", "vision system"},
    {IDS_RESTORE_ASK, "Send %1 to the vision system now?", "Send %1 til vision systemet nu?"},
    {IDS_COMPARE_FAILED, "The vision system's settings did not come whole: nothing to compare.",
     "Vision systemets opsætning kom ikke hel: intet at sammenligne."},
    {IDS_PORT_ALREADY_OPEN, "%1 is already open in this program.", "%1 er allerede åben i dette program."},

    // Why a file cannot be written where the user asked; each follows the
    // file's name, as in "Cannot write <file>: <reason>".
    {IDS_TARGET_IS_FOLDER, "it is a folder, not a file", "det er en mappe, ikke en fil"},
    {IDS_TARGET_IS_FIFO, "it is a named pipe (FIFO), not a file; nothing was written to it",
     "det er en navngiven pipe (FIFO), ikke en fil; der er ikke skrevet noget til den"},
    {IDS_TARGET_IS_DEVICE, "it is a device, not a file; nothing was written to it",
     "det er en enhed, ikke en fil; der er ikke skrevet noget til den"},
    {IDS_TARGET_IS_SOCKET, "it is a socket, not a file; nothing was written to it",
     "det er en sokkel, ikke en fil; der er ikke skrevet noget til den"},
    {IDS_NOT_A_FILE_TO_READ, "it is not a regular file (a named pipe, device or socket)",
     "det er ikke en almindelig fil (en navngiven pipe, en enhed eller en sokkel)"},

    // Where a backup went: %1 the file, %2 its size.
    {IDS_BACKUP_SAVED, "Backup saved as %1 (%2 bytes)", "Backup gemt som %1 (%2 bytes)"},
    {IDS_BACKUP_KEPT_WITH_ERRORS,
     "Warning: the reception had line errors; what came was saved as %1. Check it before you rely on it.",
     "Advarsel: modtagelsen havde linjefejl; det modtagne er gemt som %1. Kontrollér det, før du stoler på det."},
    {IDS_BACKUP_KEPT_AFTER_SILENCE,
     "Warning: the system fell silent before the end of the backup; what came was saved as %1. Check it before "
     "you rely on it.",
     "Advarsel: systemet tav før backuppens slutning; det modtagne er gemt som %1. Kontrollér det, før du stoler "
     "på det."},
    {IDS_BACKUP_LEFT_AS_IT_WAS, "%1 was left as it was.", "%1 er ikke ændret."},
    {IDS_BACKUP_NOT_KEPT, "The backup was cut short and was not saved.", "Backuppen blev afbrudt og er ikke gemt."},

    // What a language sending did (status line 4): "3 of 120 lines refused
    // (lines 4, 17, 90); 1 not echoed (line 8)".
    {IDS_LANGUAGE_REFUSED, "%1 of %2 lines refused", "%1 af %2 linjer afvist"},
    {IDS_LANGUAGE_NOT_ECHOED, "%1 not echoed", "%1 uden ekko"},
    {IDS_LANGUAGE_LINE, "line %1", "linje %1"},
    {IDS_LANGUAGE_LINES, "lines %1", "linjerne %1"},
    {IDS_LANGUAGE_NOT_STORED, "the system did not take the order to store the texts",
     "systemet modtog ikke ordren om at gemme teksterne"},

    // Files checked before they are sent: why one is refused, and what
    // sending it takes.
    {IDS_FILE_EMPTY, "the file is empty", "filen er tom"},
    {IDS_FILE_NOT_TEXT, "it is not a text file (byte %1 is 0x%2)", "det er ikke en tekstfil (byte %1 er 0x%2)"},
    {IDS_FILE_TOO_LARGE, "it holds %1 bytes, more than the %2 the vision system takes",
     "den fylder %1 bytes, mere end de %2, som vision systemet kan modtage"},
    {IDS_FILE_SEND_TIME, "%1 bytes to send, about %2 seconds at %3 baud",
     "%1 bytes at sende, cirka %2 sekunder ved %3 baud"},
    {IDS_SEND_ANYWAY, "Send it anyway?", "Send den alligevel?"},

    // Restores: the cancel rule, the safety copy and how a restore ended.
    {IDS_RESTORE_CANNOT_STOP,
     "A restore cannot be stopped halfway: it still runs for about %1 seconds.",
     "En gendannelse kan ikke stoppes halvvejs: den kører endnu i cirka %1 sekunder."},
    {IDS_RESTORE_FORCED, "The restore was stopped halfway.", "Gendannelsen blev stoppet halvvejs."},
    {IDS_RESTORE_PARTIAL,
     "The vision system may now hold part of the new settings. Restore %1 to bring the old ones back.",
     "Vision systemet kan nu have en del af den nye opsætning. Gendan %1 for at få den gamle tilbage."},
    {IDS_RESTORE_PARTIAL_NO_COPY,
     "The vision system may now hold part of the new settings; there is no safety copy of the old ones.",
     "Vision systemet kan nu have en del af den nye opsætning; der er ingen sikkerhedskopi af den gamle."},
    {IDS_SAFETY_COPY_FETCHING, "Fetching a safety copy of the current settings",
     "Henter en sikkerhedskopi af den nuværende opsætning"},
    {IDS_SAFETY_COPY_SAVED, "Safety copy of the current settings: %1", "Sikkerhedskopi af den nuværende opsætning: %1"},
    {IDS_SAFETY_COPY_FAILED, "No safety copy could be made (%1); nothing was sent.",
     "Der kunne ikke laves en sikkerhedskopi (%1); intet er sendt."},
    {IDS_SAFETY_COPY_INCOMPLETE, "the current settings did not come whole",
     "den nuværende opsætning kom ikke hel"},
    {IDS_RESTORE_STALLED, "The line would not pass the restore on; it stopped halfway.",
     "Linjen ville ikke sende gendannelsen videre; den stoppede halvvejs."},
    {IDS_RESTORE_DEVICE_LOST, "The vision system vanished during the restore.",
     "Vision systemet forsvandt under gendannelsen."},
    {IDS_RESTORE_RECEIVED, "The system can have received %1 of %2 bytes.",
     "Systemet kan have modtaget %1 af %2 bytes."},
    {IDS_RESTORE_COMPLETED, "Restore sent whole: %1 bytes.", "Gendannelsen er sendt hel: %1 bytes."},
    {IDS_RESTORE_SAFETY_COPY, "The settings from before are in %1.", "Opsætningen fra før ligger i %1."},
    {IDS_SAFETY_COPY_OPTION, "Keep a safety copy of the current settings before every restore",
     "Gem en sikkerhedskopi af den nuværende opsætning før hver gendannelse"},

    // What happened on the line, each fault with its remedy.
    {IDS_FAULT_NO_ANSWER, "no answer: check the cable, the system's power and its COM port setting",
     "intet svar: kontrollér kablet, systemets strøm og dets COM port-indstilling"},
    {IDS_FAULT_VANISHED, "the device vanished (unplugged?)", "enheden forsvandt (taget ud?)"},
    {IDS_FAULT_NOISE, "the line is noisy: %1 bytes did not belong to the answer",
     "linjen støjer: %1 bytes hørte ikke til svaret"},
    {IDS_FAULT_NOISE_ONE, "the line is noisy: 1 byte did not belong to the answer",
     "linjen støjer: 1 byte hørte ikke til svaret"},
    {IDS_FAULT_WRONG_ECHO, "the system echoed something else", "systemet sendte et andet ekko"},
    {IDS_TRANSFER_CANCELLED, "Cancelled", "Afbrudt"},
    {IDS_FAULT_FELL_SILENT, "the system fell silent: nothing came for %1 seconds",
     "systemet tav: intet kom i %1 sekunder"},
    {IDS_VERSION_UNREADABLE, "the version \"%1\" cannot be read: the request words cannot be chosen",
     "versionen \"%1\" kan ikke læses: forespørgslerne kan ikke vælges"},
    {IDS_VERSION_MISSING, "the reply \"%1\" holds no version: the request words cannot be chosen",
     "svaret \"%1\" har ingen version: forespørgslerne kan ikke vælges"},

    // Command prompts: status-bar prompt, line feed, tooltip.
    {ID_VIEW_STATUS, "Show Status Window\nStatus Window", "Vis Status Vindue\nStatus Vindue"},
    {ID_ZOOM_IN, "Zoom in 2X\nZoom in", "Zoom ind 2X\nZoom ind"},
    {ID_ZOOM_OUT, "Zoom out 2X\nZoom out", "Zoom ud 2X\nZoom ud"},
    {ID_ZOOM_1TO1, "Show picture in original size\nOriginal size",
     "Vis billede i original størrelse\nOriginal Størrelse"},
    {ID_ZOOM_FIT, "Zoom to fit screen\nFit screen", "Zoom til skærmstørrelse\nTilpas skærm"},
    {ID_ZOOM_NATURAL, "Show picture in screen format\nScreen format",
     "skalér billedet til naturlig skala\nNaturlig skala"},
    {ID_GET_SETUP, "Back up current vision settings to pc\nBack up",
     "Hent opsætning fra Vision System\nHent Opsætning"},
    {ID_SEND_SETUP, "restores settings to vision system\nRestore", "Send opsætning til Vision System\nSend Opsætning"},
    {ID_CONNECT, "Connect to Vision System\nConnect", "Opret forbindelse til Vision system\nOpret Forbindelse"},
    {ID_GET_PICTURE, "Receive screen dump from Vision System\nGet Picture",
     "Hent skærm billede fra Vision System\nHent Billede"},
    {ID_GET_MENU, "Receive all menu from Vision System\nGet Menu", "Hent menu opsætningen\nHent menu"},
    {ID_GET_LANGUAGE, "Receive Language\nReceive Language", "Hent Sprog\nHent sprog"},
    {ID_SEND_LANGUAGE, "Send language", "Sender en sprog fil til Vision Systemet\nSend Sprog"},
    {ID_OPTIONS, "Change program options\nOptions", "Indstillinger\nIndstillinger"},
    {ID_CANCEL_TRANSFER, "Stop the running transfer (Esc)\nStop transfer", "Stop den igangværende overførsel (Esc)\nStop overførsel"},
    {ID_COMPARE_SYSTEM, "Show what a restore of a backup would change on the vision system\nCompare with system",
     "Vis hvad en gendannelse af en backup ville ændre på vision systemet\nSammenlign med system"},
    {ID_EDIT_COPY, "Copy the picture to the clipboard\nCopy", "Kopiér billedet til udklipsholderen\nKopiér"},

    // Framework strings.
    {AFX_IDS_IDLEMESSAGE, "Ready", "Klar"},
    {AFX_IDS_ALLFILTER, "All Files (*.*)", "Alle Filer (*.*)"},
    {AFX_IDS_UNTITLED, "Untitled", "Unavngivet"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "Cannot open %1.\n%2", "%1 kan ikke åbnes.\n%2"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "Cannot save %1.\n%2", "%1 kan ikke gemmes.\n%2"},
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?", "Gem ændringer i %1?"},
};

constexpr MenuEntry kMenus[] = {
    {IDR_MAINFRAME, MenuKind::Popup, 0, "&File", "&Filer"},
    {IDR_MAINFRAME, MenuKind::Item, ID_FILE_OPEN, "&Open...\tCtrl+O", "Å&ben...\tCtrl+O"},
    {IDR_MAINFRAME, MenuKind::Item, ID_FILE_CLOSE, "&Close", "&Luk"},
    {IDR_MAINFRAME, MenuKind::Item, ID_FILE_SAVE, "&Save\tCtrl+S", "&Gem\tCtrl+S"},
    {IDR_MAINFRAME, MenuKind::Item, ID_FILE_SAVE_AS, "Save &As...", "Gem &Som..."},
    {IDR_MAINFRAME, MenuKind::Separator, 0, "", ""},
    {IDR_MAINFRAME, MenuKind::Item, ID_CONNECT, "&Connect", "&Opret Forbindelse"},
    {IDR_MAINFRAME, MenuKind::Separator, 0, "", ""},
    {IDR_MAINFRAME, MenuKind::Item, ID_FILE_MRU_FILE1, "Recent Files", "Foretrukne Filer"},
    {IDR_MAINFRAME, MenuKind::Separator, 0, "", ""},
    {IDR_MAINFRAME, MenuKind::Item, ID_APP_EXIT, "E&xit", "&Afslut"},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},

    {IDR_MAINFRAME, MenuKind::Popup, 0, "&View", "&Vis"},
    {IDR_MAINFRAME, MenuKind::Item, ID_VIEW_TOOLBAR, "&Toolbar", "&Værktøjslinie"},
    {IDR_MAINFRAME, MenuKind::Item, ID_VIEW_STATUS_BAR, "Status &Bar", "Status &Bar"},
    {IDR_MAINFRAME, MenuKind::Separator, 0, "", ""},
    {IDR_MAINFRAME, MenuKind::Item, ID_VIEW_STATUS, "&Status Window", "&Status Vindue"},
    {IDR_MAINFRAME, MenuKind::Item, ID_OPTIONS, "&Options...", "&Indstillinger..."},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},

    {IDR_MAINFRAME, MenuKind::Popup, 0, "&Get", "H&ent"},
    {IDR_MAINFRAME, MenuKind::Item, ID_GET_SETUP, "&Setup", "&Opsætning"},
    {IDR_MAINFRAME, MenuKind::Item, ID_GET_MENU, "&Menu", "&Menu"},
    {IDR_MAINFRAME, MenuKind::Item, ID_GET_LANGUAGE, "&Language", "&Sprog"},
    {IDR_MAINFRAME, MenuKind::Item, ID_GET_PICTURE, "Screen &Picture", "Skærm &billede"},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},

    {IDR_MAINFRAME, MenuKind::Popup, 0, "&Send", "&Send"},
    {IDR_MAINFRAME, MenuKind::Item, ID_SEND_SETUP, "&Setup", "&Opsætning"},
    {IDR_MAINFRAME, MenuKind::Item, ID_SEND_LANGUAGE, "&Language", "&Sprog"},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},

    {IDR_MAINFRAME, MenuKind::Popup, 0, "&Picture", "&Billede"},
    {IDR_MAINFRAME, MenuKind::Popup, 0, "&Zoom", "&Zoom"},
    {IDR_MAINFRAME, MenuKind::Item, ID_ZOOM_IN, "&In 2X", "&Ind 2X"},
    {IDR_MAINFRAME, MenuKind::Item, ID_ZOOM_OUT, "&Out 2X", "&Ud 2X"},
    {IDR_MAINFRAME, MenuKind::Item, ID_ZOOM_1TO1, "&1:1", "&1:1"},
    {IDR_MAINFRAME, MenuKind::Item, ID_ZOOM_FIT, "&Fit Screen", "&Skærm"},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},
    {IDR_MAINFRAME, MenuKind::Item, ID_ZOOM_NATURAL, "&Natural Scale", "&Skalér Naturlig"},
    {IDR_MAINFRAME, MenuKind::Item, ID_GET_PICTURE, "Get Screen &Picture", "Hent Skærm &Billede"},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},

    {IDR_MAINFRAME, MenuKind::Popup, 0, "&Help", "&Hjælp"},
    {IDR_MAINFRAME, MenuKind::Item, ID_APP_ABOUT, "&About Brelko...", "&Om Brelko..."},
    {IDR_MAINFRAME, MenuKind::End, 0, "", ""},
};

constexpr DialogEntry kDialogs[] = {
    {IDD_ABOUTBOX, 0, "Brelko", "Brelko"},
    {IDD_ABOUTBOX, IDC_ABOUT_VERSION, "Brelko Version 1.3", "Brelko Version 1.3"},
    {IDD_ABOUTBOX, IDC_ABOUT_LINE2, "Service tool for the vision system", "Serviceværktøj til vision systemet"},
    {IDD_ABOUTBOX, IDC_ABOUT_LINE3, "Backups, language files and screen pictures over RS-232",
     "Backup, sprogfiler og skærmbilleder over RS-232"},
    {IDD_ABOUTBOX, IDOK, "OK", "OK"},

    // The labels are filled from the string table when the dialog opens; the
    // template's own texts are what shows before that.
    {IDD_OPTIONS, 0, "Options", "Indstillinger"},
    {IDD_OPTIONS, IDOK, "OK", "OK"},
    {IDD_OPTIONS, IDCANCEL, "Cancel", "Annuller"},
    {IDD_OPTIONS, IDC_LANGUAGE_LABEL, "Select Language:", "Vælg sprog:"},
    {IDD_OPTIONS, IDC_PORT_LABEL, "COM port", "COM port"},
    {IDD_OPTIONS, IDC_FOLDER_LABEL, "Default data folder:", "Data bibliotek:"},
    {IDD_OPTIONS, IDC_SERVICE_DATA_TEXT,
     "Include extra service data in backup\n(should not be used in normal backup)",
     "Medtag ekstra Service Information i backup\n(Bør ikke anvendes til normal backup)"},
};

}  // namespace

std::span<const StringEntry> BuiltinStrings() { return kStrings; }
std::span<const MenuEntry> BuiltinMenus() { return kMenus; }
std::span<const DialogEntry> BuiltinDialogs() { return kDialogs; }

}  // namespace brelko::res
