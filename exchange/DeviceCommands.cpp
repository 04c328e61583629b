#include "exchange/DeviceCommands.h"

#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/PictureReceiver.h"
#include "exchange/TextTransfers.h"

namespace brelko {
namespace {

CommandStart CheckLine(const CStatusView& view) {
    if (view.IsExchangeRunning()) return CommandStart::Busy;
    if (!view.Line().m_bReady) return CommandStart::NotReady;
    return CommandStart::Started;
}

template <typename Starter>
CommandStart Run(CStatusView& view, Starter start) {
    CommandStart state = CheckLine(view);
    if (state != CommandStart::Started) return state;
    view.BeginCourse();
    if (start()) return CommandStart::Started;
    // Nothing went out and no message will come.
    view.AbandonCourse();
    return CommandStart::NotStarted;
}

TransferWindows Pair(const CStatusView& view, WindowHandle dataView) {
    return TransferWindows{view.Handle(), dataView};
}

CommandStart Receive(CStatusView& view, CText& text, WindowHandle dataView, const std::string& request) {
    return Run(view, [&] {
        text.SetSilenceLimit(view.ReceiveSilenceLimit());
        return StartTextReceive(text, view.Line(), Pair(view, dataView), request);
    });
}

}  // namespace

PictureRequest GetPictureRequest(const CStatusView& view) {
    return PictureRequest{view.GetPictureCommand(), view.HasExtraPictureByte()};
}

CommandStart FetchBackup(CStatusView& view, CText& text, WindowHandle dataView) {
    return Receive(view, text, dataView, view.GetBackupCommand());
}

CommandStart FetchMenus(CStatusView& view, CText& text, WindowHandle dataView) {
    return Receive(view, text, dataView, view.GetMenuCommand());
}

CommandStart FetchLanguage(CStatusView& view, CText& text, WindowHandle dataView) {
    return Receive(view, text, dataView, view.GetLanguageCommand());
}

CommandStart FetchPicture(CStatusView& view, CData& picture, WindowHandle dataView) {
    return Run(view, [&] {
        const PictureRequest request = GetPictureRequest(view);
        // A text object answers the picture request as a text reception.
        if (auto* text = dynamic_cast<CText*>(&picture))
            return StartTextReceive(*text, view.Line(), Pair(view, dataView), request.command);
        return StartPictureReceive(picture, view.Line(), Pair(view, dataView), request.command, request.extraByte);
    });
}

CommandStart SendBackup(CStatusView& view, CText& text, WindowHandle dataView) {
    return Run(view, [&] {
        // Once its first byte is out, the block is not cut by a single cancel.
        return StartTextSend(text, view.Line(), Pair(view, dataView), view.GetRestoreCommand(), view.Block());
    });
}

CommandStart SendLanguage(CStatusView& view, CText& text, WindowHandle dataView) {
    return Run(view, [&] { return StartTextSend(text, view.Line(), Pair(view, dataView), std::string()); });
}

}  // namespace brelko
