// The device commands from the data view's side: each checks that the system
// is ready, chooses the request text by the rules and starts the data
// object's transfer. The status view then shows the progress, clears the
// buffers and identifies the system again. Shared by the GUI and the
// command-line tool, so neither builds requests of its own.
#pragma once

#include <string>

#include "platform/Messages.h"

namespace brelko {

class CData;
class CStatusView;
class CText;

enum class CommandStart {
    Started,     // the transfer runs; wait for the course to end
    NotReady,    // the system is not identified: nothing was sent
    Busy,        // another exchange runs: nothing was sent
    NotStarted,  // the data object refused to start: nothing was sent
};

// The request of a picture reception: the words and the extra-byte flag.
struct PictureRequest {
    std::string command;
    bool extraByte = false;
};
PictureRequest GetPictureRequest(const CStatusView& view);

// Back up, Get menu, Get language: receive into an empty text object.
CommandStart FetchBackup(CStatusView& view, CText& text, WindowHandle dataView = {});
CommandStart FetchMenus(CStatusView& view, CText& text, WindowHandle dataView = {});
CommandStart FetchLanguage(CStatusView& view, CText& text, WindowHandle dataView = {});
// Get picture: the picture reception (StartPictureReceive) with the picture request.
CommandStart FetchPicture(CStatusView& view, CData& picture, WindowHandle dataView = {});
// Restore: sends the text up to and including "[END]", then a line feed.
CommandStart SendBackup(CStatusView& view, CText& text, WindowHandle dataView = {});
// Send language: every line of the text is a request of its own.
CommandStart SendLanguage(CStatusView& view, CText& text, WindowHandle dataView = {});

}  // namespace brelko
