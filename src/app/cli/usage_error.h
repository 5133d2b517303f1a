#pragma once

#include <QString>

#include <string>

namespace tarn {

// The exit status of a command given wrong arguments.
inline constexpr int kUsageError = 2;

// A line on standard error, in the system's encoding.
void say(const QString& text);
// Says "<command>: problem" and where to read more; returns kUsageError.
int usageError(const QString& problem, const char* command = "tarn");
QString unknownOption(const QString& option);
QString unknownOption(const std::string& option); // the bytes the system gave
// Whether standard error shows a progress bar to someone.
bool isTerminal();

} // namespace tarn
