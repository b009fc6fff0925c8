#pragma once

#include "platform/com/Unknown.h"

#include <string_view>

class QWidget;

namespace kelvo {

// A control that shows itself inside a host's site widget: it creates its own
// widget as a child of the site, filling it and following its size. Only on the
// user-interface thread, after the application object exists.
class Control : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{EED561D5-D125-4621-AC28-74D3C46DEA81}");

    virtual ResultCode Attach(QWidget* site) = 0;

protected:
    ~Control() = default;
};

// The stored properties a host keeps for a control and hands it at creation.
// Their text form is the control's own business.
class PersistProperties : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{773FAC5E-A639-4EBA-9550-B2098F49EE59}");

    virtual ResultCode Load(std::string_view properties) = 0;

protected:
    ~PersistProperties() = default;
};

} // namespace kelvo
