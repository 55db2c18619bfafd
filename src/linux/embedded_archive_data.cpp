// The archive's bytes, linked into the program like a Windows resource. XINGHE_ARCHIVE_FILE
// names resources/archive/xinghe-res.zip.
#ifndef XINGHE_ARCHIVE_FILE
#error "XINGHE_ARCHIVE_FILE must name the archive"
#endif

asm(".section .rodata.xinghe_archive,\"a\"\n"
    ".global xinghe_archive_begin\n"
    ".global xinghe_archive_end\n"
    "xinghe_archive_begin:\n"
    ".incbin \"" XINGHE_ARCHIVE_FILE "\"\n"
    "xinghe_archive_end:\n"
    ".previous\n");
