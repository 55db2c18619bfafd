// The program's icon (resources/icons/180-app.ico), linked in as the Windows build carries
// it as icon 180. XINGHE_FRAME_ICON_FILE names the file.
#ifndef XINGHE_FRAME_ICON_FILE
#error "XINGHE_FRAME_ICON_FILE must name the icon"
#endif

asm(".section .rodata.xinghe_frame_icon,\"a\"\n"
    ".global xinghe_frame_icon_begin\n"
    ".global xinghe_frame_icon_end\n"
    "xinghe_frame_icon_begin:\n"
    ".incbin \"" XINGHE_FRAME_ICON_FILE "\"\n"
    "xinghe_frame_icon_end:\n"
    ".previous\n");
