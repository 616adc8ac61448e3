// Throughput of the package builder's cabinet writer on 64 MiB of mixed data
// (random, text-like and zero runs), stored and MSZIP, plain and enciphered.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cab_writer.h"
#include "output_sink.h"
#include "script/gost.h"
#include "script/package_password.h"

namespace {

constexpr std::size_t kTotal = std::size_t{64} << 20;
constexpr int kRuns = 3;

// A fixed mix, so every run measures the same members: files of 16 KiB to
// 4 MiB whose content alternates between random bytes, words and zeros.
std::vector<cv::build::CabMember> MixedMembers() {
  std::uint32_t state = 2463534242u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  static const char* const kWords[] = {"setup ", "program ", "shared ", "library ", "data\r\n"};
  std::vector<cv::build::CabMember> members;
  std::size_t total = 0;
  while (total < kTotal) {
    std::size_t size = (std::size_t{16} << 10) << (next() % 9);
    size = std::min(size, kTotal - total);
    std::string data;
    data.reserve(size);
    switch (members.size() % 3) {
      case 0:
        while (data.size() < size) data += static_cast<char>(next() & 0xFF);
        break;
      case 1:
        while (data.size() < size) data += kWords[next() % 5];
        data.resize(size);
        break;
      default:
        data.assign(size, '\0');
    }
    cv::build::CabMember member;
    member.Name = "data\\Component\\file" + std::to_string(members.size()) + ".bin";
    member.Size = data.size();
    member.Data = std::move(data);
    total += size;
    members.push_back(std::move(member));
  }
  return members;
}

class CountingSink : public cv::build::OutputSink {
 protected:
  void DoWrite(const std::uint8_t*, std::size_t) override {}
  void DoOverwrite(std::uint64_t, const std::uint8_t*, std::size_t) override {}
};

void Measure(const char* what, const std::vector<cv::build::CabMember>& members,
             cv::build::CabCompression compression, bool encipher) {
  std::uint64_t size = 0;
  const double seconds = cv::bench::BestSeconds(kRuns, [&] {
    cv::build::CabOptions options;
    options.Compression = compression;
    cv::GostCipher cipher;
    if (encipher) {
      const auto key = cv::PasswordKey("benchmark");
      cipher.Init(key.data(), 256);
      options.Transform = [&cipher](std::uint8_t* payload, std::size_t length) {
        cipher.EncryptCBC(payload, payload, length);
      };
    }
    CountingSink sink;
    size = cv::build::WriteCabinet(members, options, sink).Size;
  });
  cv::bench::ReportThroughput(what, kTotal, seconds);
  std::printf("%-12s cabinet %.2f MB (%.1f%% of the data)\n", "", size / 1e6,
              100.0 * static_cast<double>(size) / kTotal);
}

}  // namespace

int main() {
  const auto members = MixedMembers();
  std::printf("cabinet writer, %zu files, %zu MiB of mixed data\n", members.size(), kTotal >> 20);
  Measure("stored", members, cv::build::CabCompression::Stored, false);
  Measure("mszip", members, cv::build::CabCompression::Mszip, false);
  Measure("stored+gost", members, cv::build::CabCompression::Stored, true);
  Measure("mszip+gost", members, cv::build::CabCompression::Mszip, true);
  return 0;
}
