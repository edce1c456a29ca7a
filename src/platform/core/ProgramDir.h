#pragma once

#include <QString>

// The program directory: the directory of the running executable, with a trailing "/".
// The working directory is never used. Tests point it at a temporary directory.
namespace ProgramDir {
QString Path();
void SetOverride(const QString &dir); // empty restores the executable's directory
}
