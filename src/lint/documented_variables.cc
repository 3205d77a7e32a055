#include "lint/documented_variables.h"

#include "base/ascii.h"

namespace kvr {
namespace {

constexpr unsigned kB = kBooleanValue, kN = kNumberValue, kS = kStringValue;

// In the order of the information text's list of supported variables, then the four of the first
// release that are still stored but have no effect.
constexpr DocumentedVariable kVariables[] = {
    {"VORTA_ECOM_DRVR", kS},     {"VORTA_ECOM_PORT", kN | kS}, {"VORTA_ECOMMODE", kB},
    {"VORTA_LINKDLY", kN},       {"VORTA_DLYMODE", kS},        {"VORTA_DLYSIZE", kN},
    {"VORTA_TDOEDGE", kS},       {"VORTA_TDIEDGE", kS},        {"VORTA_TBCONLY", kB},
    {"VORTA_EXLALSO", kB},       {"VORTA_LOGMODE", kS},        {"VORTA_LOGFILE", kS},
    {"VORTA_TCLK_PROGRAM", kS},  {"VORTA_TCLK_FREQUENCY", kN}, {"VORTA_PLL_PROGRAM", kS},
    {"VORTA_PLL_FREQUENCY", kN}, {"VORTA_TCLK_REFERENCE", kS}, {"VORTA_TCLK_LOOPCOUNT", kN},
    {"VORTA_TCLK_SCANTEST", kB}, {"VORTA_SIZE_SCANTEST", kN},  {"VORTA_SIZE_IRPATH", kN},
    {"VORTA_SIZE_DRPATH", kN},   {"VORTA_BIGSCAN", kB},        {"VORTA_NOAMBLE", kB},
    {"VORTA_CLKMODE", kS},       {"VORTA_SLOWCLK", kB},        {"VORTA_SLOWFRQ", kN},
    {"VORTA_FASTCLK", kN},       {"VORTA_AUTOCLK", kB},        {"POD_DRVR", kS},
    {"POD_PORT", kN | kS},       {"POD_LOGMODE", kS},          {"POD_LOGFILE", kS},
    {"POD_LOGTYPE", kS},         {"POD_BLKMODE", kB},          {"UTILITY_HI_OPTIONS", kS},
    {"RESET_OPTION", kS},        {"PROBE_OPTION", kS},         {"ERROR_OPTION", kS},
    {"BUILD_OPTION", kS},
};

constexpr std::string_view kOptionsVariable = "UTILITY_HI_OPTIONS";

}  // namespace

std::span<const DocumentedVariable> documented_variables() {
  return kVariables;
}

const DocumentedVariable* find_documented_variable(std::string_view name) {
  const std::string upper = upper_cased(name);
  std::string_view key = upper;
  if (key.starts_with(kOptionsVariable) && key.size() > kOptionsVariable.size() &&
      key[kOptionsVariable.size()] == '_') {
    key = kOptionsVariable;
  }
  for (const DocumentedVariable& variable : kVariables) {
    if (key == variable.name) return &variable;
  }
  return nullptr;
}

ValueKind kind_of_value(std::string_view value) {
  if (value.starts_with('\'')) return kStringValue;
  return is_digit(value.front()) ? kNumberValue : kBooleanValue;
}

std::string_view kinds_text(unsigned kinds) {
  switch (kinds) {
    case kBooleanValue:
      return "a boolean";
    case kNumberValue:
      return "a number";
    case kStringValue:
      return "a string";
    default:
      return "a number or a string";
  }
}

}  // namespace kvr
