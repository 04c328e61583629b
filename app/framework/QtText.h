// The core speaks UTF-8 std::string; Qt speaks QString.
#pragma once

#include <QString>
#include <string>

#include "platform/Strings.h"

namespace brelko::app {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }
// A string-table text as a QString.
inline QString Str(unsigned id) { return Q(LoadString(id)); }

}  // namespace brelko::app
