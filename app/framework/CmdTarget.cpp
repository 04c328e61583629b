#include "app/framework/CmdTarget.h"

namespace brelko::app {

void CCmdTarget::MapCommand(unsigned first, unsigned last, Handler handler, UpdateHandler update) {
    // A derived class maps after its base: its entries come first.
    m_entries.insert(m_entries.begin(), Entry{first, last, std::move(handler), std::move(update)});
}

bool CCmdTarget::OnCmdMsg(unsigned id, CCmdUI* ui) {
    for (const Entry& entry : m_entries) {
        if (id < entry.first || id > entry.last) continue;
        if (ui) {
            if (entry.update) entry.update(*ui);
            else if (!entry.handler) continue;
            else ui->Enable(true);
            return true;
        }
        if (!entry.handler) continue;
        entry.handler(id);
        return true;
    }
    return false;
}

bool RouteCommand(const std::vector<CCmdTarget*>& chain, unsigned id) {
    for (CCmdTarget* target : chain)
        if (target && target->OnCmdMsg(id, nullptr)) return true;
    return false;
}

CCmdUI RouteUpdate(const std::vector<CCmdTarget*>& chain, unsigned id) {
    CCmdUI ui;
    ui.id = id;
    for (CCmdTarget* target : chain)
        if (target && target->OnCmdMsg(id, &ui)) return ui;
    ui.enabled = false;
    return ui;
}

}  // namespace brelko::app
