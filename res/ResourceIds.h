// Resource ids: string, menu, dialog and command ids shared by every language.
#pragma once

namespace brelko {

// Document strings of the five document kinds.
constexpr unsigned IDR_MAINFRAME = 129;  // status window; also the main menu and accelerators
constexpr unsigned IDR_TGATYPE = 131;
constexpr unsigned IDR_MTXTYPE = 132;
constexpr unsigned IDR_TXTTYPE = 133;
constexpr unsigned IDR_ASCTYPE = 134;

// Status window and dialog texts.
constexpr unsigned IDS_SERVICE_DATA = 31447;
constexpr unsigned IDS_BYTES_RECEIVED = 31448;
constexpr unsigned IDS_OF_TOTAL = 31449;
constexpr unsigned IDS_SENDING_DATA = 31450;
constexpr unsigned IDS_BYTES_SENT = 31451;
constexpr unsigned IDS_SELECT_LANGUAGE = 31452;
constexpr unsigned IDS_WRONG_PORT = 31453;
constexpr unsigned IDS_CANNOT_OPEN_PORT = 31454;
constexpr unsigned IDS_CLEARING_BUFFER = 31455;
constexpr unsigned IDS_PORT_OPEN = 31456;
constexpr unsigned IDS_SECONDS_LEFT = 31457;
constexpr unsigned IDS_NO_CONTACT = 31458;
constexpr unsigned IDS_UNKNOWN_SYSTEM = 31459;
constexpr unsigned IDS_RECEIVING_DATA = 31460;
constexpr unsigned IDS_PORT_NOT_OPEN = 31461;
constexpr unsigned IDS_PICTURE_ERROR = 31462;
constexpr unsigned IDS_SEND_ERROR = 31463;
constexpr unsigned IDS_RECEIVE_ERROR = 31464;
constexpr unsigned IDS_COM_PORT = 31465;
constexpr unsigned IDS_DATA_FOLDER = 31466;

// Texts of the windowed program.
constexpr unsigned IDS_DEVICE_PRESENT = 31601;      // Options: "%1" is the device a COM number opens
constexpr unsigned IDS_DEVICE_ABSENT = 31602;
constexpr unsigned IDS_DEVICE_SIMULATOR = 31603;
constexpr unsigned IDS_BROWSE = 31604;
constexpr unsigned IDS_PIXEL_INDEXED = 31610;       // status bar: position, index and colour
constexpr unsigned IDS_PIXEL_15BIT = 31611;         // status bar: position and 5-5-5 value
constexpr unsigned IDS_NO_PICTURE_TO_SAVE = 31612;
constexpr unsigned IDS_QUIT_WHILE_BUSY = 31613;
constexpr unsigned IDS_PORT_NO_DEVICE = 31620;      // why the port cannot be opened ("%1": the device)
constexpr unsigned IDS_PORT_NO_PERMISSION = 31621;  // "%2": the group to join
constexpr unsigned IDS_PORT_NO_PERMISSION_ASK = 31622;
constexpr unsigned IDS_PORT_BUSY = 31623;           // "%2": the programs that hold it
constexpr unsigned IDS_PORT_HOLDER_UNKNOWN = 31626; // "%2" of IDS_PORT_BUSY when none can be named
constexpr unsigned IDS_PORT_NOT_SERIAL = 31624;
constexpr unsigned IDS_PORT_ALREADY_OPEN = 31625;
constexpr unsigned IDS_RESTORE_STOP_AGAIN = 31630;  // after the restore-cannot-stop text in the window
constexpr unsigned IDS_ADAPTER_UNPLUGGED = 31700;   // "%1": the adapter's stable name
constexpr unsigned IDS_ADAPTER_BACK = 31701;
constexpr unsigned IDS_TRACE_OPTION = 31702;
constexpr unsigned IDS_TRACE_FAILED = 31703;        // "%1" the file, "%2" why
constexpr unsigned IDS_TIE_PORT = 31704;            // "%1": the COM number
constexpr unsigned IDS_TIE_NONE = 31705;
constexpr unsigned IDS_TIE_NO_PORT = 31708;         // the label while no COM number is chosen
constexpr unsigned IDS_PORT_IN_USE = 31706;         // "%1": the programs that hold it
constexpr unsigned IDS_PORT_JOIN_GROUP = 31707;     // "%1": the group
constexpr unsigned IDS_COMPARE_TITLE = 31710;       // "%1": the backup file
constexpr unsigned IDS_COMPARE_SUMMARY = 31711;     // "%1" file, "%2" lines taken away, "%3" lines brought
constexpr unsigned IDS_COMPARE_SAME = 31712;
constexpr unsigned IDS_COMPARE_FAILED = 31713;
constexpr unsigned IDS_COMPARE_MENU = 31714;        // its menu item, before Restore
constexpr unsigned IDS_CONFIRM_RESTORE_OPTION = 31715;
constexpr unsigned IDS_RESTORE_ASK = 31716;         // "%1": the file
constexpr unsigned IDS_COMPARE_SYSTEM_LABEL = 31717;

// The window's trust: states, outcomes, the Window menu, names for the
// accessibility tools.
constexpr unsigned IDS_ADAPTER_GONE_STATE = 31800;  // the state line while "%1", the adapter, is away
constexpr unsigned IDS_TGA_FROM_MTX8 = 31801;       // "%1" bits, "%2" x "%3": a Targa made from an MTX
constexpr unsigned IDS_TARGA_FROM_MTX16 = 31802;
constexpr unsigned IDS_NOT_READY_NOT_SENT = 31803;  // "%1" the file, "%2" the state line
constexpr unsigned IDS_RESTORE_CLEARING = 31804;    // after a restore stopped halfway
constexpr unsigned IDS_REPLACE_FILE = 31805;        // "%1": the file
constexpr unsigned IDS_ALL_SUPPORTED = 31806;       // File Open's first filter
constexpr unsigned IDS_TOOLBAR_STANDARD = 31807;
constexpr unsigned IDS_TOOLBAR_TRANSFER = 31808;
constexpr unsigned IDS_WINDOW_MENU = 31810;
constexpr unsigned IDS_WINDOW_CASCADE = 31811;
constexpr unsigned IDS_WINDOW_TILE = 31812;
constexpr unsigned IDS_WINDOW_NEXT = 31813;
constexpr unsigned IDS_WINDOW_PREVIOUS = 31814;
constexpr unsigned IDS_NAME_STATUS_TEXT = 31820;
constexpr unsigned IDS_NAME_MESSAGE_PANE = 31821;
constexpr unsigned IDS_NAME_PROGRESS = 31822;
constexpr unsigned IDS_NAME_CTS = 31823;
constexpr unsigned IDS_NAME_DTR = 31824;
constexpr unsigned IDS_NAME_CAPS = 31825;
constexpr unsigned IDS_NAME_NUM = 31826;
constexpr unsigned IDS_NAME_SCROLL = 31827;
constexpr unsigned IDS_NAME_DOCUMENT_AREA = 31828;
constexpr unsigned IDS_NAME_DOCUMENT_TEXT = 31829;
constexpr unsigned IDS_NAME_PICTURE = 31830;
constexpr unsigned IDS_NAME_PORT_DEVICE = 31831;
constexpr unsigned IDS_NAME_PROGRAM_ICON = 31832;

// Why a file cannot be written where the user asked.
constexpr unsigned IDS_TARGET_IS_FOLDER = 31500;
constexpr unsigned IDS_TARGET_IS_FIFO = 31501;
constexpr unsigned IDS_TARGET_IS_DEVICE = 31502;
constexpr unsigned IDS_TARGET_IS_SOCKET = 31503;
constexpr unsigned IDS_NOT_A_FILE_TO_READ = 31504;
// A replacement the system left halfway, after the system's reason: where
// the contents are ("%1" the new, "%2" the old).
constexpr unsigned IDS_KEPT_NEW_CONTENT = 31900;
constexpr unsigned IDS_KEPT_OLD_CONTENT = 31901;
constexpr unsigned IDS_KEPT_BOTH_CONTENTS = 31902;
// The command line: an argument that is no valid text ("%1" its position),
// and the settings file in use ("%1"; "%2" the one read after it).
constexpr unsigned IDS_ARGUMENT_NOT_TEXT = 31903;
constexpr unsigned IDS_SETTINGS_FILE = 31904;
constexpr unsigned IDS_SETTINGS_FILES = 31905;
// A picture name of no kind this build knows, where it has no PNG ("%1": the name).
constexpr unsigned IDS_UNKNOWN_PICTURE_KIND = 31906;

// Where a backup went.
constexpr unsigned IDS_BACKUP_SAVED = 31510;
constexpr unsigned IDS_BACKUP_KEPT_WITH_ERRORS = 31511;
constexpr unsigned IDS_BACKUP_KEPT_AFTER_SILENCE = 31512;
constexpr unsigned IDS_BACKUP_LEFT_AS_IT_WAS = 31513;
constexpr unsigned IDS_BACKUP_NOT_KEPT = 31514;

// What a language sending did.
constexpr unsigned IDS_LANGUAGE_REFUSED = 31520;
constexpr unsigned IDS_LANGUAGE_NOT_ECHOED = 31521;
constexpr unsigned IDS_LANGUAGE_LINE = 31522;
constexpr unsigned IDS_LANGUAGE_LINES = 31523;
constexpr unsigned IDS_LANGUAGE_NOT_STORED = 31524;

// Files checked before they are sent.
constexpr unsigned IDS_FILE_EMPTY = 31530;
constexpr unsigned IDS_FILE_NOT_TEXT = 31531;
constexpr unsigned IDS_FILE_TOO_LARGE = 31532;
constexpr unsigned IDS_FILE_SEND_TIME = 31533;
constexpr unsigned IDS_SEND_ANYWAY = 31534;

// Restores: the cancel rule, the safety copy and how a restore ended.
constexpr unsigned IDS_RESTORE_CANNOT_STOP = 31540;
constexpr unsigned IDS_RESTORE_FORCED = 31541;
constexpr unsigned IDS_RESTORE_PARTIAL = 31542;
constexpr unsigned IDS_RESTORE_PARTIAL_NO_COPY = 31543;
constexpr unsigned IDS_SAFETY_COPY_FETCHING = 31544;
constexpr unsigned IDS_SAFETY_COPY_SAVED = 31545;
constexpr unsigned IDS_SAFETY_COPY_FAILED = 31546;
constexpr unsigned IDS_SAFETY_COPY_INCOMPLETE = 31547;
constexpr unsigned IDS_RESTORE_STALLED = 31548;
constexpr unsigned IDS_RESTORE_DEVICE_LOST = 31549;
constexpr unsigned IDS_RESTORE_RECEIVED = 31550;
constexpr unsigned IDS_RESTORE_COMPLETED = 31551;
constexpr unsigned IDS_RESTORE_SAFETY_COPY = 31552;
constexpr unsigned IDS_SAFETY_COPY_OPTION = 31553;

// What happened on the line (status line 4 and the command line): each fault
// with its remedy; the connection's state texts stay on line 3.
constexpr unsigned IDS_FAULT_NO_ANSWER = 31560;
constexpr unsigned IDS_FAULT_VANISHED = 31561;
constexpr unsigned IDS_FAULT_NOISE = 31562;        // "%1": the bytes that did not belong
constexpr unsigned IDS_FAULT_NOISE_ONE = 31563;    // the same for a single byte
constexpr unsigned IDS_FAULT_WRONG_ECHO = 31564;
constexpr unsigned IDS_TRANSFER_CANCELLED = 31565;
constexpr unsigned IDS_FAULT_FELL_SILENT = 31566;  // "%1": the seconds of silence
constexpr unsigned IDS_VERSION_UNREADABLE = 31567; // "%1": the version word, unprintable bytes as <XX>
constexpr unsigned IDS_VERSION_MISSING = 31568;    // "%1": the reply

// Commands; their string is the status-bar prompt, "\n", the tooltip.
constexpr unsigned ID_VIEW_STATUS = 32771;
constexpr unsigned ID_ZOOM_IN = 32772;
constexpr unsigned ID_ZOOM_OUT = 32773;
constexpr unsigned ID_ZOOM_1TO1 = 32774;
constexpr unsigned ID_ZOOM_FIT = 32775;
constexpr unsigned ID_ZOOM_NATURAL = 32776;
constexpr unsigned ID_GET_SETUP = 32777;
constexpr unsigned ID_SEND_SETUP = 32778;
constexpr unsigned ID_CONNECT = 32779;
constexpr unsigned ID_GET_PICTURE = 32780;
constexpr unsigned ID_GET_MENU = 32781;
constexpr unsigned ID_GET_LANGUAGE = 32782;
constexpr unsigned ID_SEND_LANGUAGE = 32783;
constexpr unsigned ID_OPTIONS = 32796;
constexpr unsigned ID_CANCEL_TRANSFER = 32800;  // beyond the device commands: stop a transfer
constexpr unsigned ID_COMPARE_SYSTEM = 32801;   // beyond the device commands: what a restore would change
constexpr unsigned ID_WINDOW_CASCADE = 32810;   // the Window menu
constexpr unsigned ID_WINDOW_TILE = 32811;
constexpr unsigned ID_WINDOW_NEXT = 32812;
constexpr unsigned ID_WINDOW_PREVIOUS = 32813;

// Framework strings.
constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345;     // "Ready"
constexpr unsigned AFX_IDS_UNTITLED = 57648;        // an untitled document of a kind without a name
constexpr unsigned AFX_IDP_FAILED_TO_OPEN_DOC = 61704;
constexpr unsigned AFX_IDP_FAILED_TO_SAVE_DOC = 61705;
constexpr unsigned AFX_IDS_ALLFILTER = 61442;       // "All Files (*.*)"
constexpr unsigned AFX_IDP_ASK_TO_SAVE = 61699;     // "Save changes to %1?"

// Framework commands that the menu carries.
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_CLOSE = 57602;
constexpr unsigned ID_FILE_SAVE = 57603;
constexpr unsigned ID_FILE_SAVE_AS = 57604;
constexpr unsigned ID_FILE_MRU_FILE1 = 57616;  // the recent-file list starts here
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
constexpr unsigned ID_INDICATOR_CTS = 59142;
constexpr unsigned ID_INDICATOR_DTR = 59143;

// Dialogs.
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_OPTIONS = 135;

// Dialog controls.
constexpr unsigned IDOK = 1;
constexpr unsigned IDCANCEL = 2;
constexpr unsigned IDC_LANGUAGE_LIST = 1000;
constexpr unsigned IDC_LANGUAGE_LABEL = 1004;
constexpr unsigned IDC_PORT_LIST = 1013;
constexpr unsigned IDC_PORT_LABEL = 1015;
constexpr unsigned IDC_FOLDER_EDIT = 1016;
constexpr unsigned IDC_FOLDER_LABEL = 1017;
constexpr unsigned IDC_SERVICE_DATA = 1019;           // check box
constexpr unsigned IDC_SERVICE_DATA_TEXT = 31447;     // the text beside it
constexpr unsigned IDC_ABOUT_VERSION = 1020;          // "Brelko Version 1.3"
constexpr unsigned IDC_ABOUT_LINE2 = 1021;
constexpr unsigned IDC_ABOUT_LINE3 = 1022;
constexpr unsigned IDC_ABOUT_BUILD = 1023;            // "%1": the build's version

}  // namespace brelko
