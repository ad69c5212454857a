#include "core/ResourceBitmaps.h"

#include "core/TransferStatus.h"
#include "platform/display/Canvas.h"
#include "platform/text/Fonts.h"

namespace led {
namespace {

Surface MakeCopyingLabel() {
    Surface s(64, 16);
    Canvas c(s);
    c.Fill(s.Bounds(), Colour::FromRgb(0, 0, 128));
    FontRequest r;
    r.height = -12;
    r.weight = 700;
    c.DrawText(Fonts::MakeFont(r), "COPY...", {4, 1, 60, 14}, Colour::FromRgb(255, 255, 255));
    return s;
}

constexpr int kIcon = 16;
const Colour kIconGround = Colour::FromRgb(32, 32, 32);
const Colour kDim = Colour::FromRgb(80, 80, 80);
const Colour kGreen = Colour::FromRgb(40, 200, 80);
const Colour kRed = Colour::FromRgb(220, 40, 40);

// The receiving spinner: four quarters of a ring, one of them lit.
Surface MakeSpinnerStep(int lit) {
    Surface s(kIcon, kIcon);
    Canvas c(s);
    c.FillAll(kIconGround);
    const Point centre{8, 8};
    const Point corners[4] = {{8, 0}, {16, 8}, {8, 16}, {0, 8}};
    for (int q = 0; q < 4; ++q) {
        const Point a = corners[q], b = corners[(q + 1) % 4];
        const Point corner{a.x == 8 ? b.x : a.x, a.y == 8 ? b.y : a.y};
        const Point wedge[] = {centre, a, corner, b};
        c.FillPolygon(wedge, q == lit ? kGreen : kDim);
    }
    c.FillEllipse({4, 4, 8, 8}, kIconGround);
    return s;
}

Surface MakeFailedIcon() {
    Surface s(kIcon, kIcon);
    Canvas c(s);
    c.FillAll(kIconGround);
    const Point a[] = {{2, 4}, {4, 2}, {14, 12}, {12, 14}};
    const Point b[] = {{12, 2}, {14, 4}, {4, 14}, {2, 12}};
    c.FillPolygon(a, kRed);
    c.FillPolygon(b, kRed);
    return s;
}

Surface MakeFinishedIcon() {
    Surface s(kIcon, kIcon);
    Canvas c(s);
    c.FillAll(kGreen);
    const Point tick[] = {{2, 8}, {4, 6}, {7, 9}, {13, 3}, {15, 5}, {7, 13}};
    c.FillPolygon(tick, Colour::FromRgb(255, 255, 255));
    return s;
}

struct Bitmaps {
    Surface copying = MakeCopyingLabel();
    Surface spinner[4] = {MakeSpinnerStep(0), MakeSpinnerStep(1), MakeSpinnerStep(2),
                          MakeSpinnerStep(3)};
    Surface failed = MakeFailedIcon();
    Surface finished = MakeFinishedIcon();
};

}  // namespace

const Surface* ResourceBitmap(int number) {
    static const Bitmaps bitmaps;
    switch (number) {
        case kIconReceiving: return &bitmaps.copying;
        case kIconSpinner0: return &bitmaps.spinner[0];
        case kIconSpinner1: return &bitmaps.spinner[1];
        case kIconSpinner2: return &bitmaps.spinner[2];
        case kIconSpinner3: return &bitmaps.spinner[3];
        case kIconFailed: return &bitmaps.failed;
        case kIconFinished: return &bitmaps.finished;
        default: return nullptr;
    }
}

}  // namespace led
