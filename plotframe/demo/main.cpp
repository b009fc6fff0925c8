// plotframe-demo: a host of the PlotraFrm control, created by its class id
// through the component layer.
//   plotframe-demo [--open FILE] [--save FOLDER/NAME]
// With --save it opens the file, saves the chart with MySaveToFile and ends.

#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"
#include "plotframe/PlotFrameIds.h"
#include "plotframe/demo/DemoWindow.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

using namespace kelvo;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: plotframe-demo [--open FILE.csv|FILE.pcht] [--save FOLDER/NAME]\n");
    return 2;
}

// A first run registers the libraries built beside the program, as kelvo-regsvr would.
void RegisterBesideProgram() {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (error)
        return;
    for (const char* name : {"Plotra5.ocx", PlotFrameLibraryFileName}) {
        std::unique_ptr<ServerLibrary> library;
        if (Succeeded(ServerLibrary::Open(folder / name, &library)) &&
            Succeeded(library->Register()))
            std::fprintf(stderr, "plotframe-demo: registered %s in %s\n", (folder / name).c_str(),
                         RegistryPath().c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string open;
    std::string save;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 < argc && std::strcmp(argv[i], "--open") == 0)
            open = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--save") == 0)
            save = argv[++i];
        else
            return Usage();
    }
    const bool scripted = !save.empty();
    // A scripted run needs no screen.
    if (scripted && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    Guid classId;
    ClassRecord record;
    if (Failed(FindClass(PlotraFrmClassId, &record)) ||
        Failed(FindClassId("Plotra.PChart", &classId)))
        RegisterBesideProgram();
    DemoWindow window;
    if (const ResultCode result = window.CreateFrame(); Failed(result)) {
        std::fprintf(stderr,
                     "plotframe-demo: the PlotraFrm control cannot be created (0x%08X); register "
                     "it with kelvo-regsvr PlotFrameCtl.ocx and the chart with kelvo-regsvr "
                     "Plotra5.ocx\n",
                     static_cast<unsigned>(result));
        return 1;
    }
    std::string message;
    if (!open.empty() && !window.OpenFile(open, &message)) {
        std::fprintf(stderr, "plotframe-demo: %s\n", message.c_str());
        if (scripted)
            return 1;
    }
    if (scripted) {
        const std::filesystem::path target = save;
        const std::string folder =
            target.has_parent_path() ? target.parent_path().string() + "/" : "";
        if (!window.Save(folder, target.filename().string(), &message)) {
            std::fprintf(stderr, "plotframe-demo: %s\n", message.c_str());
            return 1;
        }
        std::printf("plotframe-demo: %s\n", message.c_str());
        return 0;
    }
    window.show();
    return application.exec();
}
