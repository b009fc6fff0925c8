#pragma once

#include <QIcon>

namespace kelvo::resources {

// Resource 128: a thermometer, drawn for every size a desktop asks for.
QIcon ApplicationIcon();

} // namespace kelvo::resources
