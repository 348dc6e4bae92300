// bench_convert: how fast ConvertDocument copies a document, next to a plain
// 64 KiB block copy of the same file timed in the same process, and how much
// memory the conversion needs.
//
//   bench_convert MODE SOURCE DESTFOLDER [RUNS]
//     MODE    convert | copy | both  (both: all conversion runs, then the copies)
//     SOURCE  the document; the conversion writes DESTFOLDER\<its name>, the
//             copy DESTFOLDER\<its name>.copy64k
//     RUNS    timed runs of each kind, the fastest counts (default 3)
//
// Prints one "name value" pair a line so that scripts can pick the figures:
//   bytes, runs, start_peak_working_set_kb, start_peak_pagefile_kb,
//   convert (MB/s), convert_seconds, groups_removed, peak_working_set_kb, peak_pagefile_kb,
//   copy64k (MB/s), copy64k_seconds
// MB is 2^20 bytes. Failures go to standard error and give exit status 1;
// bad usage gives 2.
//
// Under Wine (8.0) the working set peak is a true high-water mark, but the
// "peak" pagefile usage is the current private usage at the time of the call:
// memory the conversion freed before returning does not show in it there.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "convert/Conversion.h"

namespace {

constexpr DWORD kCopyBlockSize = 64 * 1024;
constexpr int kDefaultRuns = 3;
constexpr char kCopySuffix[] = ".copy64k";

constexpr char kUsage[] =
    "usage: bench_convert MODE SOURCE DESTFOLDER [RUNS]\n"
    "  MODE  convert | copy | both\n"
    "  RUNS  timed runs of each kind, the fastest counts (default 3)\n";

// The benchmark answers the overwrite question itself, since every run after
// the first replaces the previous run's output, and keeps failures to report.
class BenchDialogs : public ConversionDialogs {
public:
  bool ConfirmOverwrite(const std::string&) override { return true; }
  void ShowFailure(const std::string& message) override { failures_.push_back(message); }
  const std::vector<std::string>& failures() const { return failures_; }

private:
  std::vector<std::string> failures_;
};

class Stopwatch {
public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // One tick at least, so that a rate can always be computed.
    const LONGLONG ticks = now.QuadPart - start_.QuadPart;
    return static_cast<double>(ticks > 0 ? ticks : 1) / static_cast<double>(frequency_.QuadPart);
  }

private:
  LARGE_INTEGER frequency_;
  LARGE_INTEGER start_;
};

double MegabytesPerSecond(unsigned long long bytes, double seconds) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds;
}

struct MemoryFigures {
  unsigned long long peakWorkingSetKb = 0;
  unsigned long long peakPagefileKb = 0;
};

bool ReadMemoryFigures(MemoryFigures* figures) {
  PROCESS_MEMORY_COUNTERS counters;
  std::memset(&counters, 0, sizeof counters);
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return false;
  figures->peakWorkingSetKb = counters.PeakWorkingSetSize / 1024;
  figures->peakPagefileKb = counters.PeakPagefileUsage / 1024;
  return true;
}

bool SourceSize(const std::string& path, unsigned long long* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

class ScopedHandle {
public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
  }

private:
  HANDLE handle_;  // owned
};

// The baseline: what the same file costs when nothing but moving its bytes
// is done, opening and closing included as in the conversion. Returns the
// number of bytes written, or -1 with the system error in *error.
long long CopyInBlocks(const std::string& from, const std::string& to, std::vector<char>& buffer, DWORD* error) {
  auto fail = [error](DWORD code) {
    *error = code;
    return -1LL;
  };
  ScopedHandle input(
      CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input.valid()) return fail(GetLastError());
  ScopedHandle output(
      CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output.valid()) return fail(GetLastError());

  long long total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(input.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return fail(GetLastError());
    if (got == 0) break;
    DWORD put = 0;
    if (!WriteFile(output.get(), buffer.data(), got, &put, nullptr)) return fail(GetLastError());
    if (put != got) return fail(ERROR_WRITE_FAULT);
    total += got;
  }
  if (!output.Close()) return fail(GetLastError());
  return total;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "bench_convert: %s\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) return Usage("wrong number of arguments");
  const std::string mode = argv[1];
  const bool runConversion = mode == "convert" || mode == "both";
  const bool runCopy = mode == "copy" || mode == "both";
  if (!runConversion && !runCopy) return Usage("MODE must be convert, copy or both");
  int runs = kDefaultRuns;
  if (argc == 5) {
    char* end = nullptr;
    const long value = std::strtol(argv[4], &end, 10);
    if (*argv[4] == '\0' || *end != '\0' || value < 1 || value > 1000) return Usage("RUNS must be 1 to 1000");
    runs = static_cast<int>(value);
  }
  const std::string source = argv[2];
  const std::string folder = argv[3];

  // The figures before any work, so that what the conversion adds can be seen.
  MemoryFigures atStart;
  if (!ReadMemoryFigures(&atStart)) {
    std::fprintf(stderr, "bench_convert: GetProcessMemoryInfo failed (error %lu)\n", GetLastError());
    return 1;
  }
  unsigned long long bytes = 0;
  if (!SourceSize(source, &bytes)) {
    std::fprintf(stderr, "bench_convert: cannot read the size of %s (error %lu)\n", source.c_str(), GetLastError());
    return 1;
  }
  std::printf("bytes %llu\nruns %d\nstart_peak_working_set_kb %llu\nstart_peak_pagefile_kb %llu\n", bytes, runs,
              atStart.peakWorkingSetKb, atStart.peakPagefileKb);

  if (runConversion) {
    const ConversionRequest request{source, folder, false, ""};
    double best = 0;
    unsigned long long groups = 0;
    for (int run = 0; run < runs; ++run) {
      BenchDialogs dialogs;
      const Stopwatch stopwatch;
      const ConversionResult result = ConvertDocument(request, dialogs);
      const double seconds = stopwatch.Seconds();
      if (result.outcome != ConversionOutcome::kConverted || !dialogs.failures().empty()) {
        std::fprintf(stderr, "bench_convert: conversion run %d did not convert (outcome %d)\n", run + 1,
                     static_cast<int>(result.outcome));
        for (const std::string& failure : dialogs.failures()) std::fprintf(stderr, "  %s\n", failure.c_str());
        return 1;
      }
      // The same input must give the same result every time.
      if (run > 0 && result.groupsRemoved != groups) {
        std::fprintf(stderr, "bench_convert: run %d removed %llu groups, run 1 removed %llu\n", run + 1,
                     static_cast<unsigned long long>(result.groupsRemoved), groups);
        return 1;
      }
      groups = result.groupsRemoved;
      if (run == 0 || seconds < best) best = seconds;
    }
    std::printf("convert %.1f\nconvert_seconds %.6f\ngroups_removed %llu\n", MegabytesPerSecond(bytes, best), best,
                groups);

    // Peak figures only ever rise, so they are read before the copy runs:
    // the copy's 64 KiB buffer and its file handles would otherwise be counted
    // as the conversion's.
    MemoryFigures afterConversion;
    if (!ReadMemoryFigures(&afterConversion)) {
      std::fprintf(stderr, "bench_convert: GetProcessMemoryInfo failed (error %lu)\n", GetLastError());
      return 1;
    }
    std::printf("peak_working_set_kb %llu\npeak_pagefile_kb %llu\n", afterConversion.peakWorkingSetKb,
                afterConversion.peakPagefileKb);
  }

  if (runCopy) {
    const std::string destination = DestinationPathFor(source, folder, true, kCopySuffix);
    std::vector<char> buffer(kCopyBlockSize);
    double best = 0;
    for (int run = 0; run < runs; ++run) {
      DWORD error = 0;
      const Stopwatch stopwatch;
      const long long copied = CopyInBlocks(source, destination, buffer, &error);
      const double seconds = stopwatch.Seconds();
      if (copied < 0) {
        std::fprintf(stderr, "bench_convert: copy run %d to %s failed (error %lu)\n", run + 1, destination.c_str(),
                     error);
        return 1;
      }
      if (static_cast<unsigned long long>(copied) != bytes) {
        std::fprintf(stderr, "bench_convert: copy run %d wrote %lld of %llu bytes\n", run + 1, copied, bytes);
        return 1;
      }
      if (run == 0 || seconds < best) best = seconds;
    }
    std::printf("copy64k %.1f\ncopy64k_seconds %.6f\n", MegabytesPerSecond(bytes, best), best);
  }
  return 0;
}
