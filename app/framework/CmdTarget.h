// Command routing: every menu item, toolbar button and accelerator is a
// numeric command id. A command goes to the active view, its document, its
// frame, the main frame and the application, in that order, until one handles
// it; enabling and check marks are asked the same way before menus, toolbars
// and accelerators use a command.
#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace brelko::app {

// What an update handler says about one command.
struct CCmdUI {
    unsigned id = 0;
    bool enabled = true;
    std::optional<bool> checked;  // unset: the command shows no check mark

    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on) { checked = on; }
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of `id` (ui null) or its update handler (ui set).
    // True when this target has an entry for the id. A command with a handler
    // and no update handler is enabled.
    virtual bool OnCmdMsg(unsigned id, CCmdUI* ui);

protected:
    using Handler = std::function<void(unsigned id)>;
    using UpdateHandler = std::function<void(CCmdUI& ui)>;
    // The message map: one entry for a command id or an inclusive range.
    // Either handler may be empty; an entry with only an update handler
    // still lets the command pass on to the next target when it runs.
    void MapCommand(unsigned first, unsigned last, Handler handler, UpdateHandler update = {});
    void MapCommand(unsigned id, Handler handler, UpdateHandler update = {}) {
        MapCommand(id, id, std::move(handler), std::move(update));
    }
    void MapUpdate(unsigned first, unsigned last, UpdateHandler update) { MapCommand(first, last, {}, std::move(update)); }

private:
    struct Entry {
        unsigned first;
        unsigned last;
        Handler handler;
        UpdateHandler update;
    };
    std::vector<Entry> m_entries;
};

// Routes a command along a chain of targets (nulls are skipped). Execution
// stops at the first target with a handler; an update at the first target
// with an entry. A command nobody handles is disabled.
bool RouteCommand(const std::vector<CCmdTarget*>& chain, unsigned id);
CCmdUI RouteUpdate(const std::vector<CCmdTarget*>& chain, unsigned id);

}  // namespace brelko::app
