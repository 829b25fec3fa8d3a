/* The zero descriptor that closes the program's delay-import descriptors:
   the descriptors sit in ".rdata$qmdl_0" and ld sorts this section right
   after them (see DelayImports.cmake). */
__attribute__((section(".rdata$qmdl_1"), used)) static const unsigned int qm_delay_import_end[8] = {0};
