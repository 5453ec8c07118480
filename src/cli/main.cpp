#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/paint_commands.h"
#include "cli/scan_command.h"
#include "cli/text_command.h"
#include "cli/thumbnail_command.h"
#include "platform/image_decoders.h"
#include "resources/language.h"

namespace {

const char kUsage[] =
    "usage: tessel-cli <command> [arguments]\n"
    "\n"
    "Batch work on Tessel documents and images. Files are opened and saved through\n"
    "the same readers and writers as the program's Open and Save, chosen by the\n"
    "file's extension (tsd: the native layered document; psd: layered PSD, 8-\n"
    "and 16-bit and 32-bit float, RGB, grey, indexed, bitmap, duotone, and CMYK\n"
    "and Lab through their profiles; what a PSD holds that cannot be kept\n"
    "(layer effects, adjustment layers, shapes, smart-object sources) is\n"
    "dropped and listed on stderr; ora: OpenRaster, layered, as Krita, MyPaint\n"
    "and GIMP write it; vrw: the Vornel line-art document, which keeps only\n"
    "each layer's alpha; png, bmp, jpg, jpeg and gif open as one layer; png,\n"
    "bmp, jpg and gif save the flattened image).\n"
    "\n"
    "commands:\n"
    "  info FILE [--check-streams]\n"
    "      Prints one JSON object: width, height, current (index of the current\n"
    "      layer), nameCounter, and layers from the top (index 0 first), each with\n"
    "      name (UTF-8), blend (0-20), opacity (0-128), mask (0-3), visible and\n"
    "      fillReference. A native document is answered from its headers; its\n"
    "      layer streams are inflated (through a small buffer) only when the\n"
    "      stored sizes do not add up or with --check-streams.\n"
    "  convert IN OUT [--alpha] [--png-level N] [--jpeg-quality N] [--jpeg-subsample]\n"
    "                 [--gif-transparent RRGGBB] [--png-transparent RRGGBB]\n"
    "      Opens IN as Open does and saves OUT as Save does. Single-image formats\n"
    "      get the visible layers flattened onto white, or onto transparency for a\n"
    "      PNG with --alpha (also the default when IN was a 32-bit PNG with alpha).\n"
    "      --png-level 0-9 (default 6), --jpeg-quality 0-255 (default 85;\n"
    "      the writer takes 0 as 1 and above 100 as 100),\n"
    "      --jpeg-subsample turns 2 x 2 chroma subsampling on, the transparent\n"
    "      colours are six hexadecimal digits without prefix.\n"
    "  new W H OUT\n"
    "      Writes a new document of W x H pixels (each 1-4500) with one transparent\n"
    "      layer named Layer0.\n"
    "  stroke IN OUT --tool N --samples \"x,y[,p];x,y[,p];...\" [--size S] [--opacity A]\n"
    "               [--colour RRGGBB] [--option HEX] [--mask-mode M] [--layer I] [--seed N]\n"
    "               [--guide parallel:DEG|concentrated:X,Y|circle:X,Y|ellipse:X,Y,W,H|grid:DEG]\n"
    "      Runs one freehand stroke of painting tool N (0-13: pencil, 1-pixel line,\n"
    "      pen, pen 2, brush, watercolour, airbrush, hard eraser, pen eraser, brush\n"
    "      eraser, blur, finger, dodge, burn) on layer I (index from the top; default\n"
    "      the current layer) and saves OUT. Press at the first sample, a move for\n"
    "      each further one, release at the last; pressure p is 0-1, 1 when left out.\n"
    "      The tool's settings are its defaults unless given: --size 1-100,\n"
    "      --opacity 1-255, --colour the drawing colour, --option the tool's option\n"
    "      word in hexadecimal digits without prefix. --mask-mode 0-3 sets the\n"
    "      layer's mask mode first, as the layer panel would, and OUT keeps it.\n"
    "      --seed fixes the random generator (decimal). --guide bends the samples\n"
    "      onto a guide as the canvas does: lines at DEG degrees through the first\n"
    "      sample, rays from or a circle about (X, Y), an ellipse centred at (X, Y)\n"
    "      with the proportions of W x H, or the grid at DEG degrees.\n"
    "  shape IN OUT --tool N --kind K --points \"x,y;x,y;...\" [--size S] [--opacity A]\n"
    "              [--colour RRGGBB] [--option HEX] [--layer I] [--seed N] [--ctrl] [--shift]\n"
    "      Draws what releasing the shape's drag draws, with painting tool N (0-13)\n"
    "      and the options of stroke. K is line, rect, rect-fill, ellipse,\n"
    "      ellipse-fill (two points: press and release), polyline, concentrated\n"
    "      (the clicked points in order), bezier (P0, P3, P1, P2 as the gesture\n"
    "      places them) or spline (the clicked points). --ctrl and --shift apply\n"
    "      the drag's constraints to the last point (lines snap; boxes square, and\n"
    "      centre on the first point). One undo step, as on the canvas.\n"
    "  fill IN OUT X Y [--colour RRGGBB] [--opacity A] [--paint HEX] [--ctrl] [--shift]\n"
    "             [--alt] [--layer I]\n"
    "      Fills at image pixel (X, Y) as the fill tool does: --paint is the Paint\n"
    "      word (default 1: the document's reference layers), the flags stand for\n"
    "      held keys (Ctrl erases, Shift the fringe or opaque-region mode, Alt\n"
    "      inverts the reference choice). A point outside the image, or a fill\n"
    "      that changes nothing, writes the document unchanged (status 0).\n"
    "  gradient IN OUT X0,Y0 X1,Y1 [--grad HEX] [--draw-type T] [--opacity A]\n"
    "                 [--fg RRGGBB] [--bg RRGGBB] [--shift] [--alt] [--layer I]\n"
    "      Paints the whole layer with the gradient dragged from (X0, Y0) to\n"
    "      (X1, Y1). --grad is the Grad word (table 0-4 in the low byte, banding in\n"
    "      bits 8-11, 8000 reverses); draw type 2-3 gives the box, 4-5 the radial,\n"
    "      7 the angular, any other the linear gradient. --shift leaves pixels\n"
    "      beyond the end unpainted, --alt repeats the table.\n"
    "  export-layer FILE INDEX OUT.png\n"
    "      Saves one layer (INDEX counts from the top, 0 first) alone as a 32-bit\n"
    "      PNG with alpha at compression level 6, as the layer panel's export does.\n"
    "  text IN OUT X Y TEXT [--font FAMILY] [--size PT] [--bold] [--italic] [--vertical]\n"
    "       [--antialias] [--char-space N] [--line-space N] [--colour RRGGBB]\n"
    "       [--opacity A] [--layer I] [--dpi N]\n"
    "      Writes TEXT (UTF-8; \\n or a line feed ends a line, \\\\ is a backslash;\n"
    "      --text TEXT also works) into layer I (default the current layer) with\n"
    "      its pen at X, Y, exactly as the text tool's OK does, and saves OUT. The\n"
    "      font defaults to NSimSun, 12 pt (1-1000) at --dpi 96; a family that is\n"
    "      not installed becomes the installed Chinese face fontconfig prefers, and\n"
    "      the face used is named on stderr. Spacings -500-1000 pixels; --colour\n"
    "      default 000000, --opacity 1-255 (default 255); --antialias draws 65\n"
    "      grey levels instead of 1-bit glyphs; --vertical writes columns from\n"
    "      right to left with each glyph turned 90 degrees clockwise; with an \"@\"\n"
    "      face (--font '@FAMILY') Chinese, Japanese and Korean characters stand\n"
    "      upright in the font's vertical forms and only the rest is turned.\n"
    "      NSimSun and SimSun become the installed Chinese Song (serif) face.\n"
    "  fonts\n"
    "      Lists the faces the text dialog offers, one a line: each installed\n"
    "      family, and after each with Chinese, Japanese or Korean glyphs its\n"
    "      \"@\" face for vertical writing.\n"
    "  filter NAME [PARAM=VALUE ...] IN OUT [--layer I] [--rect X,Y,W,H] [--seed N]\n"
    "         [--fg RRGGBB] [--bg RRGGBB]\n"
    "      Applies one filter to layer I (default the current layer) within the\n"
    "      rectangle (default the whole canvas) and saves OUT. Parameters take the\n"
    "      dialog's raw units (gamma 100 means 1.00; a list its item index; a check\n"
    "      box 0 or 1; a layer chooser the layer index; colours RRGGBB) and default\n"
    "      to the dialog's defaults. Colours default to 000000 and FFFFFF.\n"
    "  filters\n"
    "      Lists the filter names with their parameters, ranges and defaults.\n"
    "  resize IN OUT W H [--method nearest|bilinear|lanczos3]\n"
    "      Scales every layer to W x H (default Lanczos3).\n"
    "  canvas-size IN OUT W H [--anchor 0..8] [--fill transparent|white|fg] [--fg RRGGBB]\n"
    "      Changes the canvas size; anchor k: k mod 3 is left/centre/right, k div 3\n"
    "      top/centre/bottom (default 4, the centre).\n"
    "  flip-h IN OUT, flip-v IN OUT, rotate-cw IN OUT, rotate-ccw IN OUT\n"
    "      Flips or turns the whole image by 90 degrees.\n"
    "  crop IN OUT X,Y,W,H\n"
    "      Cuts every layer to the rectangle.\n"
    "  thumbnail IN OUT.png SIZE\n"
    "      Writes the picture a file manager shows for IN as a PNG that fits in\n"
    "      SIZE x SIZE pixels (1-4500), never enlarged: a native document's stored\n"
    "      preview (at most 90 x 90), an OpenRaster file's stored thumbnail (its\n"
    "      merged image when SIZE asks for more, the layers when neither reads),\n"
    "      any other file flattened as convert to PNG would; a larger picture is\n"
    "      scaled down with Lanczos3.\n"
    "  layer OP IN OUT [ARGS] [--layer I]\n"
    "      Runs one command of the layer panel and saves OUT; --layer I (index from\n"
    "      the top) makes that layer current first, as clicking its row does. OP:\n"
    "      new, clone, delete, merge-down, merge-visible (onto white),\n"
    "      merge-visible-keep (keeping transparency), merge-new (the visible layers\n"
    "      into a new layer), up, down, move-to I (as dragging the row: above the\n"
    "      layer that has index I, the bottom for the layer count),\n"
    "      visible all|none|current, from-file IMAGE (a new layer from a BMP, PNG,\n"
    "      GIF or JPEG picture at the top-left, named after the file),\n"
    "      set [--name TEXT] [--blend 0-20] [--opacity-percent 0-100] [--mask 0-3]\n"
    "          [--visible 0|1] [--fill-reference 0|1]   (TEXT is UTF-8, kept as at\n"
    "          most 31 bytes of code page 936),\n"
    "      alpha-op transparent|copy|multiply|outline --reference I (the current\n"
    "          layer processed with layer I as reference; outline in black).\n"
    "      A command that changes nothing (merging down the bottom layer, deleting\n"
    "      the only layer, a 101st layer) still writes OUT; an IMAGE that cannot be\n"
    "      read fails with \"打开图像失败\".\n"
    "  selection IN OUT --rect X,Y,W,H OP [ARGS] [--layer I] [--fg RRGGBB]\n"
    "      Runs one Select menu command on the rectangle (taken as given: 1,1 in\n"
    "      size is a one-pixel selection) of layer I (from the top; default the\n"
    "      current layer, whose mask mode applies). OP is flip-h, flip-v,\n"
    "      rotate-cw, rotate-ccw, rotate DEG [--smooth], scale W H [--method\n"
    "      nearest|bilinear|lanczos3] (default lanczos3), tile-all, tile-h,\n"
    "      tile-v, fill (with --fg, default 000000), erase, cut or crop. A\n"
    "      command that changes nothing (tiling or cropping the whole canvas,\n"
    "      scaling to the same size, rotating by 0) writes OUT unchanged. Erase\n"
    "      under mask mode 2 or 3 is refused: status 1 and no file written.\n"
    "  scanners\n"
    "      Lists the scanners SANE finds, one a line: name, vendor, model and type,\n"
    "      separated by tabs. The name is what --device takes.\n"
    "  scan OUT [--device NAME] [--resolution DPI] [--mode colour|grey|lineart]\n"
    "      Scans the whole bed through SANE, as the program's scanner import does,\n"
    "      and saves the picture as a one-layer document OUT. The device defaults\n"
    "      to $SANE_DEFAULT_DEVICE, else the first one listed; the resolution to\n"
    "      300 dpi (the device's nearest lower one), the mode to colour. Line art\n"
    "      is black and white, from the device's line-art mode or 1-bit grey. A\n"
    "      picture above 4500 pixels is refused with the size message and the\n"
    "      resolution that fits on stderr. SANE_CONFIG_DIR chooses SANE's\n"
    "      configuration folder as for every SANE program.\n"
    "  --help\n"
    "      Shows this text.\n"
    "  --version\n"
    "      Shows the version.\n"
    "\n"
    "Exit status: 0 on success; 1 on failure, with the program's own message on\n"
    "stderr (for example \"文件格式错误\"); 2 for a usage error. A file whose layer\n"
    "data fails to decompress prints \"压缩展开失败，数据已损坏\" and is still used\n"
    "(status 0). A progress bar is drawn on stderr when it is a terminal.\n"
    "\n"
    "Language: messages are in Simplified Chinese, or in English (\"File format\n"
    "error\") when TESSEL_LANGUAGE is en, or when it is unset and the locale's\n"
    "language is not Chinese: the first of LC_ALL, LC_MESSAGES and LANG that is\n"
    "set decides; zh_*, C and POSIX (or none) give Chinese. TESSEL_LANGUAGE=zh\n"
    "keeps Chinese under any locale.\n";

}  // namespace

int main(int argc, char** argv) {
  // Messages follow TESSEL_LANGUAGE, else the locale, as the program's do.
  tessel::text::chooseLanguageAtStart(std::string());
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("tessel-cli %s\n", TESSEL_VERSION);
    return 0;
  }
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  tessel::handDownPictureDecoders(&tessel::platformPictureDecoders());
  if (std::strcmp(argv[1], "info") == 0) return tessel::runInfo(argc, argv);
  if (std::strcmp(argv[1], "convert") == 0) return tessel::runConvert(argc, argv);
  if (std::strcmp(argv[1], "new") == 0) return tessel::runNew(argc, argv);
  if (std::strcmp(argv[1], "stroke") == 0) return tessel::runStroke(argc, argv);
  if (std::strcmp(argv[1], "export-layer") == 0) return tessel::runExportLayer(argc, argv);
  if (std::strcmp(argv[1], "filter") == 0) return tessel::runFilter(argc, argv);
  if (std::strcmp(argv[1], "filters") == 0) return tessel::runListFilters(argc, argv);
  if (std::strcmp(argv[1], "resize") == 0) return tessel::runResize(argc, argv);
  if (std::strcmp(argv[1], "canvas-size") == 0) return tessel::runCanvasSize(argc, argv);
  if (std::strcmp(argv[1], "crop") == 0) return tessel::runCrop(argc, argv);
  if (std::strcmp(argv[1], "thumbnail") == 0) return tessel::runThumbnail(argc, argv);
  if (std::strcmp(argv[1], "text") == 0) return tessel::runText(argc, argv);
  if (std::strcmp(argv[1], "fonts") == 0) return tessel::runFonts(argc, argv);
  if (std::strcmp(argv[1], "shape") == 0) return tessel::runShape(argc, argv);
  if (std::strcmp(argv[1], "fill") == 0) return tessel::runFill(argc, argv);
  if (std::strcmp(argv[1], "gradient") == 0) return tessel::runGradient(argc, argv);
  if (std::strcmp(argv[1], "layer") == 0) return tessel::runLayer(argc, argv);
  if (std::strcmp(argv[1], "selection") == 0) return tessel::runSelection(argc, argv);
  if (std::strcmp(argv[1], "scanners") == 0) return tessel::runScanners(argc, argv);
  if (std::strcmp(argv[1], "scan") == 0) return tessel::runScan(argc, argv);
  for (const char* t : {"flip-h", "flip-v", "rotate-cw", "rotate-ccw"})
    if (std::strcmp(argv[1], t) == 0) return tessel::runTransform(argc, argv);
  std::fprintf(stderr, "tessel-cli: unknown command '%s'\n", argv[1]);
  return 2;
}
