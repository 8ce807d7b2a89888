// Random registry contents under the stored names, then a restore: nothing may crash or trip
// the sanitizers, no key may stay open, and each position either stays or takes the value
// the stored data decodes to (as the control then clamps it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "tests/support/StorageForm.h"

namespace {
using TBytes = std::vector<std::uint8_t>;
constexpr HKey HKCU = HKEY_CURRENT_USER;
constexpr char kKey[] = "Software\\Kelvane\\Form1";
const char* const kNames[] = {"FormVersion", "udBoostOffTemp_Position", "udBoostOnTemp_Position"};

// What a reader should make of a value, worked out independently of the storage: byte kinds
// of 1 to 8 bytes little-endian, texts that are a whole decimal or 0x number; else nothing.
std::optional<std::int32_t> Decode(std::uint32_t kind, const TBytes& data) {
  if (kind == REG_DWORD || kind == REG_QWORD || kind == REG_BINARY) {
    if (data.empty() || data.size() > 8) return std::nullopt;
    std::uint32_t low = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i) low |= std::uint32_t{data[i]} << (8 * i);
    return static_cast<std::int32_t>(low);
  }
  if (kind != REG_SZ && kind != REG_EXPAND_SZ) return std::nullopt;
  std::string text(data.begin(), std::find(data.begin(), data.end(), 0));
  static const std::regex number("[ \\t]*([+-]?)(0[xX][0-9a-fA-F]+|[0-9]+)[ \\t]*");
  std::smatch m;
  if (!std::regex_match(text, m, number)) return std::nullopt;
  std::string digits = m[2].str();
  bool hex = digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X');
  if (hex) digits = digits.substr(2);
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  // Beyond 64 bits it is not a number.
  unsigned __int128 v = 0;
  for (char c : digits) {
    v = v * (hex ? 16 : 10) + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                        ? c - '0'
                                                        : std::toupper(c) - 'A' + 10);
    if (v > (static_cast<unsigned __int128>(1) << 64)) return std::nullopt;
  }
  bool negative = m[1].str() == "-";
  if (v > (static_cast<unsigned __int128>(1) << 63) - (negative ? 0 : 1)) return std::nullopt;
  std::uint64_t bits = static_cast<std::uint64_t>(v);
  if (negative) bits = 0 - bits;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

struct TPlanted {
  bool Present = false;
  std::uint32_t Kind = REG_NONE;
  TBytes Data;
};

class TPlanter {
 public:
  explicit TPlanter(std::uint32_t seed) : FRandom(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

  TPlanted Value() {
    static const std::uint32_t kinds[] = {
        REG_NONE,  REG_SZ,     REG_EXPAND_SZ,       REG_BINARY,   REG_DWORD,
        REG_DWORD, REG_DWORD,  REG_QWORD,           REG_MULTI_SZ, REG_LINK,
        REG_SZ,    REG_BINARY, REG_DWORD_BIG_ENDIAN};
    TPlanted p;
    p.Present = true;
    p.Kind = Below(20) == 0 ? static_cast<std::uint32_t>(FRandom())
                            : kinds[Below(static_cast<int>(std::size(kinds)))];
    int length = Below(10) == 0 ? Below(300) : Below(13);
    bool text = p.Kind == REG_SZ || p.Kind == REG_EXPAND_SZ || p.Kind == REG_MULTI_SZ;
    static const char alphabet[] = " \t+-0123456789xXaAfF9";
    for (int i = 0; i < length; ++i) {
      if (text && Below(4) != 0)
        p.Data.push_back(static_cast<std::uint8_t>(alphabet[Below(sizeof alphabet - 1)]));
      else
        p.Data.push_back(static_cast<std::uint8_t>(Below(256)));
    }
    if (text && Below(3) != 0) p.Data.push_back(0);
    return p;
  }

 private:
  std::mt19937 FRandom;
};
}  // namespace

TEST(RestoreFuzz, RandomStoredValuesNeverBreakARestore) {
  constexpr int kExecutions = 4000;
  TSimPlatform sim;
  TSimRegistry& reg = sim.Registry;
  auto app = std::make_unique<TApplication>(sim.Platform());
  auto* form = app->CreateForm<TStorageForm>();
  TUpDown* ups[] = {nullptr, form->udBoostOffTemp, form->udBoostOnTemp};
  TPlanter planter(20261207);
  int findings = 0;
  int restored = 0;

  for (int run = 0; run < kExecutions; ++run) {
    reg.DeleteKey(HKCU, "Software\\Kelvane");
    reg.ClearFaults();
    form->udBoostOffTemp->SetPosition(55);
    form->udBoostOnTemp->SetPosition(65);

    TPlanted planted[3];
    for (int i = 0; i < 3; ++i) {
      int mode = planter.Below(8);
      if (mode == 0) continue;  // missing
      if (mode == 1) reg.CreateKey(HKCU, std::string(kKey) + "\\" + kNames[i]);
      if (mode >= 2) {
        planted[i] = planter.Value();
        reg.SetValue(HKCU, kKey, kNames[i], planted[i].Kind, planted[i].Data);
      }
    }
    bool faulted = planter.Below(10) == 0;
    if (faulted) {
      static const TRegStatus codes[] = {ERROR_MORE_DATA, ERROR_CANTREAD, ERROR_ACCESS_DENIED,
                                         ERROR_OUTOFMEMORY};
      static const TRegOp ops[] = {TRegOp::QueryValue, TRegOp::OpenKey, TRegOp::OpenKeyEx};
      TRegOp op = ops[planter.Below(3)];
      std::string target = op == TRegOp::QueryValue ? kNames[planter.Below(3)] : std::string();
      reg.InjectFault(op, target, codes[planter.Below(4)], 1 + planter.Below(3), planter.Below(4));
    }

    bool failed = false;
    try {
      form->FormStorage1->RestoreState();
    } catch (const Exception&) {
      failed = true;  // only the version read may fail, and only under a planted fault
    }
    if (failed && !faulted) ++findings;
    if (reg.OpenKeyCount() != 0) ++findings;

    std::optional<std::int32_t> version =
        planted[0].Present ? Decode(planted[0].Kind, planted[0].Data) : std::optional<int>(0);
    bool restores = !failed && (!version || *version >= 0);
    int before[] = {0, 55, 65};
    for (int i = 1; i < 3; ++i) {
      int now = ups[i]->Position();
      if (now == before[i]) continue;
      ++restored;
      if (now < ups[i]->Min() || now > ups[i]->Max()) ++findings;
      if (faulted) continue;  // a planted fault may hide any value; the range still holds
      std::optional<std::int32_t> decoded =
          planted[i].Present ? Decode(planted[i].Kind, planted[i].Data) : std::nullopt;
      int expected = decoded ? std::clamp<int>(static_cast<std::int16_t>(*decoded), ups[i]->Min(),
                                               ups[i]->Max())
                             : before[i];
      if (!restores || now != expected) {
        ++findings;
        ADD_FAILURE() << "run " << run << ": " << kNames[i] << " became " << now << ", expected "
                      << expected;
      }
    }
    // Where the value decodes and the version lets the restore go ahead, it must be taken.
    for (int i = 1; i < 3 && restores && !faulted; ++i) {
      auto decoded = planted[i].Present ? Decode(planted[i].Kind, planted[i].Data) : std::nullopt;
      if (!decoded) continue;
      int expected =
          std::clamp<int>(static_cast<std::int16_t>(*decoded), ups[i]->Min(), ups[i]->Max());
      if (ups[i]->Position() != expected) {
        ++findings;
        ADD_FAILURE() << "run " << run << ": " << kNames[i] << " stayed " << ups[i]->Position()
                      << ", expected " << expected;
      }
    }
  }
  reg.ClearFaults();
  app.reset();
  EXPECT_EQ(reg.OpenKeyCount(), 0u);
  EXPECT_EQ(findings, 0);
  RecordProperty("executions", kExecutions);
  RecordProperty("positionsChanged", restored);
  std::printf("restore fuzz: %d executions, %d positions changed, %d findings\n", kExecutions,
              restored, findings);
}
