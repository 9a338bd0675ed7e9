// The soak's view of the saver as the system counts it: one line per running vellumir.scr,
//   role working_set_kib threads handles
// where the role is "saver" for the process that owns the full-screen window and "preview"
// otherwise. Threads come from the system's process list and handles from its handle list,
// counted by owner: Wine's own per-process handle count is the size of its handle table, which
// only grows by doubling. Wine reads another process's private bytes and GDI and USER object
// counts as 0, so they are not printed.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

namespace {

// The system information of that class, in a buffer grown until it fits; empty on failure.
std::vector<unsigned char> Query(SYSTEM_INFORMATION_CLASS what) {
  std::vector<unsigned char> buffer(1 << 16);
  ULONG needed = 0;
  while (NtQuerySystemInformation(what, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
    if (buffer.size() >= (1u << 26)) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer;
}

DWORD SaverProcess() {
  DWORD process = 0;
  if (HWND window = FindWindowA("TForm1", "Vellumir")) GetWindowThreadProcessId(window, &process);
  return process;
}

SIZE_T WorkingSetOf(DWORD processId) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return 0;
  GetProcessMemoryInfo(process, &memory, sizeof memory);
  CloseHandle(process);
  return memory.WorkingSetSize;
}

unsigned long HandlesOf(const std::vector<unsigned char>& handles, DWORD processId) {
  const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(handles.data());
  unsigned long count = 0;
  for (ULONG i = 0; i < list->Count; ++i) count += list->Handle[i].OwnerPid == processId;
  return count;
}

}  // namespace

int main() {
  const std::vector<unsigned char> processes = Query(SystemProcessInformation);
  const std::vector<unsigned char> handles = Query(SystemHandleInformation);
  if (processes.empty() || handles.empty()) return 1;
  const DWORD saver = SaverProcess();
  for (size_t offset = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(processes.data() + offset);
    const UNICODE_STRING& name = entry->ImageName;
    if (name.Buffer && CompareStringOrdinal(name.Buffer, name.Length / 2, L"vellumir.scr", -1, TRUE) == CSTR_EQUAL) {
      const DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId));
      std::printf("%s %zu %lu %lu\n", id == saver ? "saver" : "preview", WorkingSetOf(id) / 1024, entry->NumberOfThreads,
                  HandlesOf(handles, id));
    }
    if (!entry->NextEntryOffset) break;
    offset += entry->NextEntryOffset;
  }
  return 0;
}
