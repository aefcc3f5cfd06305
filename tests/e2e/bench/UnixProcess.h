#pragma once
// Figures of Unix processes, read through drive Z: from inside Wine, which answers no CPU times
// for another process and no private bytes: the benchmarks read /proc as the host sees it.
#include <string>
#include <vector>

namespace e2e {

std::string ReadAll(const std::wstring& path);
// The fields of a /proc stat file after the command name, which may hold spaces; fields[0] is
// the state, so field N of proc(5) is fields[N - 3].
std::vector<std::string> StatFields(const std::wstring& folder);
// The Unix process of a program `name` whose environment shares this one's `variable` (Wine
// forks its processes away from their parents: the prefix and display tie them together).
std::wstring UnixProcess(const std::string& name, const char* variable);
// Of a process by its Unix id, or of one of its threads (a folder of /proc/PID/task).
double CpuSeconds(const std::wstring& pidOrFolder);

} // namespace e2e
