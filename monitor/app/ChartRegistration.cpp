#include "monitor/app/ChartRegistration.h"

#include "chart/ChartIds.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"

#include <filesystem>
#include <memory>

namespace kelvo {

bool EnsureChartControl(const ShowMessageFunction& showMessage) {
    Guid classId;
    if (Succeeded(FindClassId(ChartProgId, &classId))) {
        return true;
    }
    return RegisterChartControl(showMessage);
}

bool RegisterChartControl(const ShowMessageFunction& showMessage) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::current_path(error) / ChartLibraryFileName;
    std::unique_ptr<ServerLibrary> library;
    if (Failed(ServerLibrary::Open(path, &library))) {
        showMessage(path.string() + "Could not find the file :");
        return false;
    }
    if (!library->HasExport("DllRegisterServer")) {
        return false;
    }
    if (Failed(library->Register())) {
        showMessage("register Active control faild");
        return false; // the library is unloaded with its object
    }
    // Its classes are created from here on; it must never be unloaded.
    library->KeepLoaded();
    return true;
}

bool CreateChartRegisteringAgain(const std::function<bool()>& create,
                                 const ShowMessageFunction& showMessage) {
    return create() || (RegisterChartControl(showMessage) && create());
}

} // namespace kelvo
