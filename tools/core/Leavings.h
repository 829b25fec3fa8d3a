#pragma once
// What the stand-in core leaves behind after a kind, for the launcher and its
// windows to read later: SD info records on the card, probe-log entries and
// downloaded data with its management entries on the PC, data files on the
// card. Written with the product's own record codecs and file classes.
// Each returns an empty text, or what went wrong (for the journal); files
// rewritten whole are replaced in one step, additions go in whole or not at
// all.
#include <cstdint>
#include <string>

namespace standin {

// Replaces the record of kindBit in the card's SD info file (or appends it),
// dated now.
std::string LeaveSdInfo(char drive, uint32_t kindBit, uint32_t version, int32_t result);
// Appends an upload, dated now, to the probe log of the card's device number.
std::string LeaveProbeLog(char drive, int32_t result, uint32_t code);
// Writes an item into the download folder of the settings ("%02X\%02X\name\"
// with name.CNF and DATA.BIN of the given size) and lists it in "DL.DAT"
// (once) and "DL.LST".
std::string LeaveDownload(uint8_t category, uint8_t subcategory, const std::string& name,
                          uint64_t bytes);
// Writes a file of the given size at a card path (":\PC\MAP\X.DAT").
std::string LeaveCardFile(char drive, const std::string& cardPath, uint64_t bytes);
// The system's error code of this thread's last failed write.
uint32_t LastLeaveError();

}  // namespace standin
