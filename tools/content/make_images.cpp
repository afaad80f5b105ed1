// Draws every picture the game loads, from code and fixed seeds, and writes them as PNG into
// the directory given as the only argument. Running it twice gives identical files.
//
//   make_images OUTPUT_DIR [FONT_DIR]
//
// The bitmap fonts are built from the Terminus console fonts (SIL OFL 1.1) in FONT_DIR,
// /usr/share/consolefonts by default (Debian package console-setup-linux).
#include <cstdio>
#include <filesystem>
#include <string>

#include "images.h"
#include "psf_font.h"
#include "raster.h"

using namespace images;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [FONT_DIR]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    const std::string fonts = argc > 2 ? argv[2] : "/usr/share/consolefonts";
    const PsfFont small(fonts + "/Lat15-Terminus16.psf.gz");
    const PsfFont big(fonts + "/Lat15-TerminusBold24x12.psf.gz");
    const PsfFont bold(fonts + "/Lat15-TerminusBold16.psf.gz");
    const PsfFont logo(fonts + "/Lat15-TerminusBold32x16.psf.gz");
    if (!small.ok() || small.width != 8 || small.height != 16 || !big.ok() || big.width != 12 ||
        big.height != 24 || !bold.ok() || !logo.ok() || logo.height != 32) {
        std::fprintf(stderr,
                     "The Terminus fonts were not found in %s (package console-setup-linux)\n",
                     fonts.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(out + "/icons", error);
    if (error) {
        std::fprintf(stderr, "Cannot create %s/icons: %s\n", out.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = true;
    const Sheets sheets{make_tiles(), make_worm(), make_pedes()};
    ok &= raster::save_png(sheets.tiles, out + "/tiles.png");
    ok &= raster::save_png(sheets.worm, out + "/worm.png");
    ok &= raster::save_png(sheets.pedes, out + "/pedes.png");
    ok &= raster::save_png(make_text(small), out + "/text.png");
    ok &= raster::save_png(make_bigtext(big), out + "/bigtext.png");
    ok &= raster::save_png(make_title(sheets, logo), out + "/title.png");
    ok &= raster::save_png(make_gameover(sheets, logo, bold), out + "/gameover.png");
    ok &= raster::save_png(make_buttons(bold), out + "/" + ButtonSheet::kImage);
    ok &= save_icons(sheets, out);
    return ok ? 0 : 1;
}
