#include "jtag/tap_state.h"

namespace kvr {
namespace {

using S = TapState;

// Each state's successor with TMS low, then with TMS high.
constexpr TapState kNext[16][2] = {
    {S::kRunTestIdle, S::kTestLogicReset},
    {S::kRunTestIdle, S::kSelectDrScan},  // reset, idle
    {S::kCaptureDr, S::kSelectIrScan},
    {S::kShiftDr, S::kExit1Dr},  // DR scan
    {S::kShiftDr, S::kExit1Dr},
    {S::kPauseDr, S::kUpdateDr},
    {S::kPauseDr, S::kExit2Dr},
    {S::kShiftDr, S::kUpdateDr},
    {S::kRunTestIdle, S::kSelectDrScan},
    {S::kCaptureIr, S::kTestLogicReset},  // IR scan
    {S::kShiftIr, S::kExit1Ir},
    {S::kShiftIr, S::kExit1Ir},
    {S::kPauseIr, S::kUpdateIr},
    {S::kPauseIr, S::kExit2Ir},
    {S::kShiftIr, S::kUpdateIr},
    {S::kRunTestIdle, S::kSelectDrScan},
};

}  // namespace

TapState next_tap_state(TapState state, bool tms) {
  return kNext[static_cast<int>(state)][tms ? 1 : 0];
}

}  // namespace kvr
