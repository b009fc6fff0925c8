#include "platform/com/Creation.h"

#include "platform/com/Control.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"
#include "platform/com/Variant.h"
#include "tests/platform/com/TemporaryRegistry.h"
#include "tests/platform/com/TestServerIds.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kelvo {
namespace {

class CreationTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ServerLibrary::Open(KELVO_TEST_SERVER, &server_), results::Ok);
        ASSERT_EQ(server_->Register(), results::Ok);
    }

    TemporaryRegistry registry_;
    std::unique_ptr<ServerLibrary> server_;
};

TEST_F(CreationTest, RegisteredClassIsCreatedByProgIdAndCalledLate) {
    ComPointer<Dispatch> counter;
    ASSERT_EQ(CreateObject(test_server::CounterProgId, &counter), results::Ok);
    Variant total;
    ASSERT_EQ(CallMethod(counter.Get(), test_server::AddMember, {std::int32_t{5}}, &total),
              results::Ok);
    ASSERT_EQ(CallMethod(counter.Get(), test_server::AddMember, {2.0}, &total), results::Ok);
    std::int32_t value = 0;
    ASSERT_EQ(total.ToInteger(&value), results::Ok);
    EXPECT_EQ(value, 7);

    std::string name = "sheep";
    EXPECT_EQ(CallMethod(counter.Get(), test_server::NameMember, {Variant(&name)}), results::Ok);
    EXPECT_EQ(name, "sheep counted");

    // The library may not go while its object lives.
    EXPECT_EQ(server_->CanUnloadNow(), results::False);
    counter.Reset();
    EXPECT_EQ(server_->CanUnloadNow(), results::Ok);
}

TEST_F(CreationTest, DispatchErrorsComeBackAsResultCodes) {
    ComPointer<Dispatch> counter;
    ASSERT_EQ(CreateObject(test_server::CounterClassId, &counter), results::Ok);
    struct Case {
        const char* what;
        std::int32_t member;
        InvokeKind kind;
        std::vector<Variant> arguments;
        ResultCode expected;
    };
    std::vector<Case> cases;
    cases.push_back({"unknown id", 99, InvokeKind::Method, {}, results::MemberNotFound});
    cases.push_back({"method as property",
                     test_server::AddMember,
                     InvokeKind::PropertyGet,
                     {},
                     results::MemberNotFound});
    cases.push_back(
        {"too few", test_server::AddMember, InvokeKind::Method, {}, results::BadParameterCount});
    cases.push_back({"too many",
                     test_server::AddMember,
                     InvokeKind::Method,
                     {std::int32_t{1}, std::int32_t{2}},
                     results::BadParameterCount});
    cases.push_back({"text for number",
                     test_server::AddMember,
                     InvokeKind::Method,
                     {"1"},
                     results::TypeMismatch});
    cases.push_back({"text by value for by reference",
                     test_server::NameMember,
                     InvokeKind::Method,
                     {"x"},
                     results::TypeMismatch});
    for (Case& test : cases)
        EXPECT_EQ(counter->Invoke(test.member, test.kind, test.arguments, nullptr), test.expected)
            << test.what;
}

TEST_F(CreationTest, CreationErrorsComeBackAsResultCodes) {
    ComPointer<Dispatch> object;
    EXPECT_EQ(CreateObject("Kelvo.NoSuchClass", &object), results::ClassNotRegistered);
    EXPECT_EQ(CreateObject(GuidLiteral("{BB10DFED-0426-49D4-B9D1-1D76B761E296}"), &object),
              results::ClassNotRegistered);

    ComPointer<Control> control;
    EXPECT_EQ(CreateObject(test_server::CounterClassId, &control), results::NoInterface);
    EXPECT_FALSE(control);

    const Guid gone = GuidLiteral("{BB10DFED-0426-49D4-B9D1-1D76B761E297}");
    ASSERT_EQ(RegisterClass({gone, "Kelvo.Gone", "x", registry_.Folder() / "gone.ocx", false}),
              results::Ok);
    EXPECT_EQ(CreateObject("Kelvo.Gone", &object), results::ModuleNotFound);

    const Guid bare = GuidLiteral("{BB10DFED-0426-49D4-B9D1-1D76B761E298}");
    ASSERT_EQ(RegisterClass({bare, "Kelvo.Bare", "x", KELVO_NO_EXPORTS, false}), results::Ok);
    EXPECT_EQ(CreateObject("Kelvo.Bare", &object), results::ProcedureNotFound);

    // Registered under a library that does not make that class.
    ASSERT_EQ(RegisterClass({bare, "Kelvo.Bare", "x", KELVO_TEST_SERVER, false}), results::Ok);
    EXPECT_EQ(CreateObject("Kelvo.Bare", &object), results::ClassNotAvailable);
    EXPECT_FALSE(object);
}

TEST_F(CreationTest, HostingNeedsAControlAndASite) {
    ComPointer<Dispatch> dispatch;
    EXPECT_EQ(HostControl(test_server::CounterClassId, nullptr, "", &dispatch),
              results::NullPointer);
    auto* site = reinterpret_cast<QWidget*>(&dispatch); // never touched: the class is no control
    EXPECT_EQ(HostControl(test_server::CounterClassId, site, "", &dispatch), results::NoInterface);
    EXPECT_FALSE(dispatch);
}

TEST(ServerLibraryTest, MissingFilesAndEntryPointsAreReported) {
    TemporaryRegistry registry;
    std::unique_ptr<ServerLibrary> library;
    std::string reason;
    EXPECT_EQ(ServerLibrary::Open(registry.Folder() / "Plotra5.ocx", &library, &reason),
              results::ModuleNotFound);
    EXPECT_FALSE(library);
    EXPECT_NE(reason, "");

    // A file that is not a library at all.
    std::ofstream(registry.Folder() / "Plotra5.ocx") << "not a library";
    EXPECT_EQ(ServerLibrary::Open(registry.Folder() / "Plotra5.ocx", &library),
              results::ModuleNotFound);

    ASSERT_EQ(ServerLibrary::Open(KELVO_NO_EXPORTS, &library), results::Ok);
    EXPECT_FALSE(library->HasExport("DllRegisterServer"));
    EXPECT_EQ(library->Register(), results::ProcedureNotFound);
    EXPECT_EQ(library->Unregister(), results::ProcedureNotFound);
    EXPECT_EQ(library->CanUnloadNow(), results::ProcedureNotFound);
    void* object = &library;
    EXPECT_EQ(library->GetClassObject(test_server::CounterClassId, Unknown::InterfaceId, &object),
              results::ProcedureNotFound);
    EXPECT_EQ(object, nullptr);
}

TEST(ServerLibraryTest, RegisterAndUnregisterRoundTrip) {
    TemporaryRegistry registry;
    std::unique_ptr<ServerLibrary> library;
    ASSERT_EQ(ServerLibrary::Open(KELVO_TEST_SERVER, &library), results::Ok);
    ASSERT_EQ(library->Register(), results::Ok);
    ClassRecord record;
    ASSERT_EQ(FindClass(test_server::CounterClassId, &record), results::Ok);
    EXPECT_EQ(record.library, std::filesystem::canonical(KELVO_TEST_SERVER));
    ASSERT_EQ(library->Unregister(), results::Ok);
    Guid found;
    EXPECT_EQ(FindClassId(test_server::CounterProgId, &found), results::ClassNotRegistered);
}

} // namespace
} // namespace kelvo
