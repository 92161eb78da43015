#include "app/korvid_app.h"

namespace {
// The one application object, constructed before wWinMain runs.
korvid::CMobrinApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return framework::RunApplication(); }
