// HAVAL-256/5 against PHP's independent implementation, on random inputs of
// many lengths. Host build only; skipped when php is not installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "script/haval.h"

namespace cv {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t length) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// Hashes every input in one php process: inputs go one per line as hex, the
// digests come back one per line.
std::vector<std::string> PhpDigests(const std::vector<std::vector<std::uint8_t>>& inputs) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("cv_haval_php_" + std::to_string(getpid()) + ".txt");
  {
    std::ofstream file(path, std::ios::binary);
    for (const auto& input : inputs) file << Hex(input.data(), input.size()) << '\n';
  }
  const std::string command =
      "php -r 'foreach (file($argv[1], FILE_IGNORE_NEW_LINES) as $line) "
      "echo hash(\"haval256,5\", hex2bin($line)), \"\\n\";' " +
      path.string();
  std::vector<std::string> digests;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      std::string digest(line);
      while (!digest.empty() && (digest.back() == '\n' || digest.back() == '\r')) digest.pop_back();
      digests.push_back(digest);
    }
    pclose(pipe);
  }
  std::filesystem::remove(path);
  return digests;
}

TEST(HavalCrossCheck, AgreesWithPhp) {
  if (std::system("command -v php >/dev/null 2>&1") != 0) GTEST_SKIP() << "php is not installed";

  std::mt19937 random(20240607);
  std::vector<std::size_t> lengths;
  for (std::size_t length = 0; length <= 140; ++length) lengths.push_back(length);
  for (std::size_t length : {245u, 246u, 247u, 255u, 256u, 257u, 1000u}) lengths.push_back(length);
  for (int i = 0; i < 300; ++i) lengths.push_back(random() % 1001);

  std::vector<std::vector<std::uint8_t>> inputs;
  for (std::size_t length : lengths) {
    std::vector<std::uint8_t> input(length);
    for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
    inputs.push_back(std::move(input));
  }
  const std::vector<std::string> expected = PhpDigests(inputs);
  ASSERT_EQ(expected.size(), inputs.size()) << "php gave no usable answer";

  for (std::size_t i = 0; i < inputs.size(); ++i) {
    // Half of the inputs in uneven pieces, so streaming is compared as well.
    HavalDigest haval;
    const auto& input = inputs[i];
    std::size_t done = 0;
    while (done < input.size()) {
      std::size_t piece = (i % 2 == 0) ? input.size() - done
                                       : std::min<std::size_t>(input.size() - done, 1 + i % 97);
      haval.Update(input.data() + done, piece);
      done += piece;
    }
    const auto digest = haval.Final();
    EXPECT_EQ(Hex(digest.data(), digest.size()), expected[i]) << "length " << input.size();
  }
}

}  // namespace
}  // namespace cv
