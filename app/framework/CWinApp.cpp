#include "app/framework/CWinApp.h"

namespace brelko::app {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

}  // namespace brelko::app
