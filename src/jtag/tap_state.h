// The test access port (TAP) controller of IEEE 1149.1: sixteen states, moved on each rising edge
// of TCK by the level of TMS. Every TAP of a scan path shares TCK and TMS, so they all stand in the
// same state.
#ifndef KVR_JTAG_TAP_STATE_H_
#define KVR_JTAG_TAP_STATE_H_

#include <cstdint>

namespace kvr {

enum class TapState : std::uint8_t {
  kTestLogicReset,
  kRunTestIdle,
  kSelectDrScan,
  kCaptureDr,
  kShiftDr,
  kExit1Dr,
  kPauseDr,
  kExit2Dr,
  kUpdateDr,
  kSelectIrScan,
  kCaptureIr,
  kShiftIr,
  kExit1Ir,
  kPauseIr,
  kExit2Ir,
  kUpdateIr,
};

// The state after a rising edge of TCK in `state` with TMS at `tms`.
TapState next_tap_state(TapState state, bool tms);

}  // namespace kvr

#endif  // KVR_JTAG_TAP_STATE_H_
