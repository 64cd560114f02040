#pragma once
// File dialog filters: the program writes them the Windows way,
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"; Qt wants
// "Text Files (*.txt)" and "All Files (*)".
#include <QStringList>
#include <string>

namespace korvel::qt {

QStringList QtNameFilters(const std::string& filter);

}  // namespace korvel::qt
