// A stand-in for the chart, registered as "Plotra.PChart" in a test's own
// registry: it records every call the frame makes on it and fails the one the
// test names, so a test sees which calls a member makes, in which order, and
// what a failure leaves behind.
//   KELVO_RECORDING_CHART_LOG   file that receives one line per call:
//                               "<path> <get|put|call> <arguments...>"
//   KELVO_RECORDING_CHART_FAIL  the path of the call to fail with Fail
//   KELVO_RECORDING_CHART_NUMBER  what the number members give (default 0)
// A path names an object by the dispatch ids that led to it ("chart.9.1") and
// a call by its own id after it ("chart.9.1.1"). Gets and methods give a new
// object, except the members listed as numbers below.

#include "chart/ChartIds.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Control.h"
#include "platform/com/Events.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerLibrary.h"
#include "platform/com/Variant.h"

#include <cstdlib>
#include <fstream>
#include <set>

using namespace kelvo;

namespace {

const std::set<std::string> NumberMembers = {
    "chart.2.1.1",  "chart.2.2.1",  "chart.3.3",  "chart.56.3", "chart.56.6.1",
    "chart.56.6.2", "chart.56.6.3", "chart.56.7", "chart.56.8",
};

std::string ArgumentText(const Variant& argument) {
    std::string text;
    std::int32_t number = 0;
    bool boolean = false;
    if (Succeeded(argument.ToText(&text)))
        return "'" + text + "'";
    if (argument.Type() == VariantType::Boolean && Succeeded(argument.ToBoolean(&boolean)))
        return boolean ? "true" : "false";
    if (Succeeded(argument.ToInteger(&number)))
        return std::to_string(number);
    return "?";
}

class RecordingObject final : public Object<Dispatch> {
public:
    explicit RecordingObject(std::string path) : path_(std::move(path)) {}

    ResultCode Invoke(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override {
        const std::string call = path_ + "." + std::to_string(id);
        std::string line = call + (kind == InvokeKind::PropertyGet   ? " get"
                                   : kind == InvokeKind::PropertyPut ? " put"
                                                                     : " call");
        for (const Variant& argument : arguments)
            line += " " + ArgumentText(argument);
        if (const char* log = std::getenv("KELVO_RECORDING_CHART_LOG"))
            std::ofstream(log, std::ios::app) << line << "\n";
        if (const char* fail = std::getenv("KELVO_RECORDING_CHART_FAIL"); fail && call == fail)
            return results::Fail;
        if (kind != InvokeKind::PropertyPut && result) {
            if (NumberMembers.count(call)) {
                const char* number = std::getenv("KELVO_RECORDING_CHART_NUMBER");
                *result = Variant(static_cast<std::int32_t>(number ? std::atol(number) : 0));
            } else
                *result = Variant(ComPointer<Dispatch>(new RecordingObject(call)));
        }
        return results::Ok;
    }

private:
    std::string path_;
};

class RecordingChart final : public Object<Dispatch, Control, PersistProperties, EventSource> {
public:
    ~RecordingChart() override {
        if (last == this)
            last = nullptr;
    }

    ResultCode Invoke(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override {
        return root_->Invoke(id, kind, arguments, result);
    }
    ResultCode Attach(QWidget*) override { return results::Ok; }
    ResultCode Load(std::string_view) override { return results::Ok; }
    ResultCode Connect(EventSink* sink, std::uint32_t* cookie) override {
        return sinks_.Connect(sink, cookie);
    }
    ResultCode Disconnect(std::uint32_t cookie) override { return sinks_.Disconnect(cookie); }

    static RecordingChart* last;
    EventSinkList sinks_;

private:
    ComPointer<RecordingObject> root_{new RecordingObject("chart")};
};

RecordingChart* RecordingChart::last = nullptr;

ResultCode CreateChart(const Guid& interfaceId, void** object) {
    ComPointer<RecordingChart> chart(new RecordingChart);
    RecordingChart::last = chart.Get();
    return chart->QueryInterface(interfaceId, object);
}

} // namespace

// For the tests: raises an event without arguments on the chart made last.
KELVO_SERVER_EXPORT void RecordingChartFire(std::int32_t position) {
    if (RecordingChart::last)
        RecordingChart::last->sinks_.Fire(position, {});
}

KELVO_SERVER_EXPORT ResultCode DllGetClassObject(const Guid* classId, const Guid* interfaceId,
                                                 void** object) {
    if (!classId || !interfaceId || !object)
        return results::NullPointer;
    *object = nullptr;
    if (*classId != ChartClassId)
        return results::ClassNotAvailable;
    ComPointer<ClassFactory> factory(new FunctionClassFactory(&CreateChart));
    return factory->QueryInterface(*interfaceId, object);
}

KELVO_SERVER_EXPORT ResultCode DllCanUnloadNow() {
    return results::False;
}

KELVO_SERVER_EXPORT ResultCode DllRegisterServer() {
    const auto library = ModulePath(reinterpret_cast<const void*>(&CreateChart));
    return RegisterClass({ChartClassId, ChartProgId, "Recording chart", library, true});
}

KELVO_SERVER_EXPORT ResultCode DllUnregisterServer() {
    return UnregisterClass(ChartClassId);
}
