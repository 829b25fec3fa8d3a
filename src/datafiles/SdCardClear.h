#pragma once
// Clearing the SD card from the settings window: everything on the card goes
// except the unit's own files, the card's launcher and the probe folder;
// then a fresh PC-link file is written.

// 0 on success, 3 when the card cannot be searched, otherwise the OS error
// of the failed PC-link file creation.
unsigned long ClearSdCard(char drive);

constexpr unsigned long kClearSdCardNoSearch = 3;
