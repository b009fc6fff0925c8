#include "platform/com/Registry.h"

#include "platform/com/RegistryDocument.h"
#include "platform/ini/FileReplace.h"

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace kelvo {

namespace {

const std::string ClassSection = "Class ";
const std::string ProgIdSection = "ProgID ";
const std::string TypeLibrarySection = "TypeLibrary ";
const std::string InterfaceSection = "Interface ";

// Serialises writers within the process; the lock file does so between processes.
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

// Far above any real registry; a larger file is no registry of ours.
constexpr std::size_t registryReadLimit = std::size_t{1} << 20;

ResultCode ReadDocument(const std::filesystem::path& path, RegistryDocument* document) {
    *document = {};
    std::string text;
    switch (ReadWholeFile(path, text, registryReadLimit)) {
    case FileReadResult::read:
        *document = RegistryDocument::Parse(text);
        return results::Ok;
    case FileReadResult::missing:
        return results::Ok; // no file yet is an empty registry
    case FileReadResult::failed:
        break;
    }
    return results::Fail;
}

ResultCode WriteDocument(const std::filesystem::path& path, const RegistryDocument& document) {
    return ReplaceFileContents(path, document.Text()) ? results::Ok : results::WriteFault;
}

// Reads, changes and writes the registry under both locks.
ResultCode Update(const std::function<ResultCode(RegistryDocument&)>& change) {
    const std::filesystem::path path = RegistryPath();
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::lock_guard guard(WriterMutex());
    std::filesystem::path lockPath = path;
    lockPath += ".lock";
    // Never through a link: a link planted here would create its target.
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return results::WriteFault;
    if (flock(lock, LOCK_EX) != 0) {
        close(lock);
        return results::WriteFault;
    }
    RegistryDocument document;
    ResultCode result = ReadDocument(path, &document);
    if (Succeeded(result))
        result = change(document);
    if (Succeeded(result))
        result = WriteDocument(path, document);
    close(lock);
    return result;
}

std::string LibraryText(const std::filesystem::path& library) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(library, error);
    return error ? library.string() : absolute.string();
}

// The ProgID sections that name this class.
std::vector<std::string> ProgIdSectionsOf(const RegistryDocument& document, const Guid& classId) {
    std::vector<std::string> sections;
    for (const std::string& name : document.SectionNames()) {
        if (name.rfind(ProgIdSection, 0) != 0)
            continue;
        const std::string* value = document.Value(name, "CLSID");
        if (value && ParseGuid(*value) == classId)
            sections.push_back(name);
    }
    return sections;
}

// The values of a registered class or library: one whose section names a library.
ResultCode ReadRegistered(const std::string& section, std::map<std::string, std::string>* values) {
    RegistryDocument document;
    if (Failed(ReadDocument(RegistryPath(), &document)))
        return results::ClassNotRegistered;
    const std::string* library = document.Value(section, "Library");
    if (!library || library->empty())
        return results::ClassNotRegistered;
    for (const char* key : {"ProgID", "Name", "Control", "Version", "Locale", "Flags", "Library"})
        if (const std::string* value = document.Value(section, key))
            (*values)[key] = *value;
    return results::Ok;
}

} // namespace

std::filesystem::path RegistryPath() {
    if (const char* path = std::getenv("KELVO_REGISTRY"); path && *path)
        return path;
    std::filesystem::path data;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home == '/')
        data = home;
    else if (const char* user = std::getenv("HOME"); user && *user)
        data = std::filesystem::path(user) / ".local" / "share";
    else {
        // Without a home, the current folder; a relative path when even that is gone.
        std::error_code error;
        data = std::filesystem::current_path(error) / ".local" / "share";
    }
    return data / "kelvo" / "registry.ini";
}

ResultCode RegisterClass(const ClassRecord& record) {
    const std::string library = LibraryText(record.library);
    if (!RegistryDocument::CanHoldValue(record.name) || !RegistryDocument::CanHoldValue(library) ||
        (!record.progId.empty() && !RegistryDocument::CanHoldName(record.progId)))
        return results::InvalidArgument;
    return Update([&](RegistryDocument& document) {
        const std::string classText = GuidText(record.classId);
        // A class renamed by a newer library loses its old ProgID.
        for (const std::string& section : ProgIdSectionsOf(document, record.classId))
            document.RemoveSection(section);
        document.SetSection(ClassSection + classText, {{"ProgID", record.progId},
                                                       {"Name", record.name},
                                                       {"Library", library},
                                                       {"Control", record.control ? "1" : "0"}});
        if (!record.progId.empty())
            document.SetSection(ProgIdSection + record.progId, {{"CLSID", classText}});
        return results::Ok;
    });
}

ResultCode UnregisterClass(const Guid& classId) {
    return Update([&](RegistryDocument& document) {
        for (const std::string& section : ProgIdSectionsOf(document, classId))
            document.RemoveSection(section);
        document.RemoveSection(ClassSection + GuidText(classId));
        return results::Ok;
    });
}

ResultCode RegisterTypeLibrary(const TypeLibraryRecord& record) {
    const std::string library = LibraryText(record.library);
    for (const std::string* text : {&record.name, &record.version, &record.locale, &record.flags})
        if (!RegistryDocument::CanHoldValue(*text))
            return results::InvalidArgument;
    if (!RegistryDocument::CanHoldValue(library))
        return results::InvalidArgument;
    return Update([&](RegistryDocument& document) {
        document.SetSection(TypeLibrarySection + GuidText(record.libraryId),
                            {{"Name", record.name},
                             {"Version", record.version},
                             {"Locale", record.locale},
                             {"Flags", record.flags},
                             {"Library", library}});
        return results::Ok;
    });
}

ResultCode UnregisterTypeLibrary(const Guid& libraryId) {
    return Update([&](RegistryDocument& document) {
        document.RemoveSection(TypeLibrarySection + GuidText(libraryId));
        return results::Ok;
    });
}

ResultCode RegisterInterface(const DeclaredInterface& record) {
    if (!RegistryDocument::CanHoldValue(record.name) ||
        !RegistryDocument::CanHoldValue(record.flags))
        return results::InvalidArgument;
    return Update([&](RegistryDocument& document) {
        document.SetSection(InterfaceSection + GuidText(record.interfaceId),
                            {{"Name", record.name},
                             {"TypeLibrary", GuidText(record.typeLibrary)},
                             {"Flags", record.flags}});
        return results::Ok;
    });
}

ResultCode UnregisterInterface(const Guid& interfaceId) {
    return Update([&](RegistryDocument& document) {
        document.RemoveSection(InterfaceSection + GuidText(interfaceId));
        return results::Ok;
    });
}

ResultCode FindInterface(const Guid& interfaceId, DeclaredInterface* record) {
    if (!record)
        return results::NullPointer;
    RegistryDocument document;
    if (Failed(ReadDocument(RegistryPath(), &document)))
        return results::ClassNotRegistered;
    const std::string section = InterfaceSection + GuidText(interfaceId);
    const std::string* name = document.Value(section, "Name");
    const std::string* library = document.Value(section, "TypeLibrary");
    const std::string* flags = document.Value(section, "Flags");
    const auto libraryId = library ? ParseGuid(*library) : std::nullopt;
    if (!name || !libraryId)
        return results::ClassNotRegistered;
    *record = {interfaceId, *name, *libraryId, flags ? *flags : std::string()};
    return results::Ok;
}

ResultCode FindClassId(std::string_view progId, Guid* classId) {
    if (!classId)
        return results::NullPointer;
    if (!RegistryDocument::CanHoldName(progId))
        return results::ClassNotRegistered;
    RegistryDocument document;
    if (Failed(ReadDocument(RegistryPath(), &document)))
        return results::ClassNotRegistered;
    const std::string* value = document.Value(ProgIdSection + std::string(progId), "CLSID");
    const auto parsed = value ? ParseGuid(*value) : std::nullopt;
    if (!parsed)
        return results::ClassNotRegistered;
    *classId = *parsed;
    return results::Ok;
}

ResultCode FindClass(const Guid& classId, ClassRecord* record) {
    if (!record)
        return results::NullPointer;
    std::map<std::string, std::string> values;
    const ResultCode result = ReadRegistered(ClassSection + GuidText(classId), &values);
    if (Succeeded(result))
        *record = {classId, values["ProgID"], values["Name"], values["Library"],
                   values["Control"] == "1"};
    return result;
}

ResultCode FindTypeLibrary(const Guid& libraryId, TypeLibraryRecord* record) {
    if (!record)
        return results::NullPointer;
    std::map<std::string, std::string> values;
    const ResultCode result = ReadRegistered(TypeLibrarySection + GuidText(libraryId), &values);
    if (Succeeded(result))
        *record = {libraryId,        values["Name"],  values["Version"],
                   values["Locale"], values["Flags"], values["Library"]};
    return result;
}

} // namespace kelvo
