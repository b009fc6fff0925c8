#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"

#include <string_view>

class QWidget;

namespace kelvo {

// Creates an object of a registered class: the class's library is loaded from
// the path in the registry (and stays loaded for the life of the process), and
// its class factory makes the object. ClassNotRegistered for an unknown class or
// ProgID, ModuleNotFound when the library is gone, ProcedureNotFound when it
// lacks DllGetClassObject, NoInterface when the object lacks the interface.
ResultCode CreateObject(const Guid& classId, const Guid& interfaceId, void** object);
ResultCode CreateObject(std::string_view progId, const Guid& interfaceId, void** object);

template <class Interface>
ResultCode CreateObject(const Guid& classId, ComPointer<Interface>* object) {
    return CreateObject(classId, Interface::InterfaceId, object->OutPointer());
}
template <class Interface>
ResultCode CreateObject(std::string_view progId, ComPointer<Interface>* object) {
    return CreateObject(progId, Interface::InterfaceId, object->OutPointer());
}

// Creates a control inside a host's site widget: the control gets its stored
// properties (may be empty), then makes its widget as a child of the site,
// filling it and following its size. *dispatch receives the control's dispatch
// interface. On the user-interface thread only. When anything fails the control
// is released again and *dispatch stays null.
ResultCode HostControl(const Guid& classId, QWidget* site, std::string_view properties,
                       ComPointer<Dispatch>* dispatch);

} // namespace kelvo
