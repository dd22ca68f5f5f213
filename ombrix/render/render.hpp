#pragma once
// The one renderer of the page model: onto any QPainter (preview, printer,
// PDF, SVG, clipboard and test images), and the exports built on it.
#include <QImage>
#include <QRect>

#include <optional>
#include <string>

#include "common/result.hpp"
#include "ombrix/page/page.hpp"

class QPainter;
class QPrinter;
class QByteArray;

namespace keld::ombrix {

// "Arial" is drawn with Liberation Sans on every machine, so every machine
// draws the same page.
void InstallFontSubstitutes();

// The width, in twips, of the page's thinnest lines (pen width 0) on paper and
// in the PDF and SVG files: 0.25 pt, the thinnest line a printer draws. A
// width of 0 there would be a hairline that only Qt draws: SVG readers such as
// librsvg, browsers and Inkscape leave it out.
inline constexpr double kPaperHairline = 5;

// Draws `page` (or only its `crop` rectangle, in twips) into `target`, device
// coordinates of the painter, on a white ground. Pen width 0 is drawn
// `hairline` twips wide, or one device dot wide when `hairline` is 0 (screens).
void RenderPage(const Page& page, QPainter& p, const QRectF& target,
                const std::optional<QRect>& crop = std::nullopt, double hairline = 0);

// The page as an image at `dpi` dots per inch.
QImage PageImage(const Page& page, double dpi, const std::optional<QRect>& crop = std::nullopt,
                 double hairline = 0);

// Onto a printer or a preview's printer: the whole sheet, from the paper's corner.
// `guides` (twips), for the preview only, is drawn as dotted margin lines; the
// preview passes a hairline of 0. Fails when the printer cannot be started or
// fails while printing.
Status PrintPage(const Page& page, QPrinter& printer, const std::optional<QRect>& guides = std::nullopt,
                 double hairline = kPaperHairline);

QByteArray PageSvg(const Page& page, const std::optional<QRect>& crop = std::nullopt);
QByteArray PagePdf(const Page& page, const std::string& title,
                   const std::optional<QRect>& crop = std::nullopt);

// A picture file: PDF when the name ends in ".pdf", else SVG. Written beside the
// name and renamed when complete; a failure leaves an older file as it was.
Status SavePicture(const Page& page, const std::string& path,
                   const std::optional<QRect>& crop = std::nullopt);

}  // namespace keld::ombrix
