// Writes Pellam's application icon, a 256 x 256 PNG cut from the window's
// banner:  pellam_icon FILE
#include "app/Main.h"
#include "platform/Forms.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    platform::TFormsApplication app(argc, argv);
    // A square of the banner's sky, clear of its title, behind the title's first letter.
    platform::TBitmap banner = BannerPicture();
    platform::TBitmap icon = banner.Part({banner.Width() - 210, 0, 210, 210}, 256, 256);
    icon.Text({78, 0, 200, 256}, "P", "WenQuanYi Micro Hei", 180, true, platform::clWhite);
    return icon.SavePng(argv[1]) ? 0 : 1;
}
