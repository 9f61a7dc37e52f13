#include "bench/ViewerBench.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "app/ColourCount.h"
#include "app/ImageLoading.h"
#include "app/MainOrvalis.h"
#include "bench/BenchData.h"
#include "bench/LinearColourCount.h"
#include "bench/ViewerHarness.h"
#include "codecs/JPEGImage.h"
#include "framework/Image.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/ScreenMetrics.h"
#include "platform/VirtualKeys.h"
#include "runtime/FileStream.h"

namespace orvalis::bench {

namespace {

namespace fs = std::filesystem;

// The viewer's timer interval: each advance of the virtual clock by it is one tick.
constexpr std::uint64_t kTickMilliseconds = 3000;

// The PNG file as the viewer holds it after "Ouvrir": a 32-bit working bitmap.
std::unique_ptr<TBitmap> OpenPng(const fs::path& file) {
    auto working = std::make_unique<TBitmap>();
    working->SetPixelLayout(pl32Bit);
    LitPNG(String(file.string()), *working);
    if (working->Width() != kPictureWidth || working->Height() != kPictureHeight)
        throw std::runtime_error("LitPNG did not give the whole picture of " + file.string());
    return working;
}

const std::uint32_t* Row(TBitmap& bitmap, int y) {
    return reinterpret_cast<const std::uint32_t*>(bitmap.RowPointer(y));
}

// The least a pass over the pixels does: read each once (their sum, kept from the
// optimiser).
volatile std::uint64_t pixelSum;
void SumPixels(TBitmap& bitmap) {
    std::uint64_t sum = 0;
    const int width = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint32_t* row = Row(bitmap, y);
        for (int x = 0; x < width; ++x) sum += row[x];
    }
    pixelSum = sum;
}

// Stops the benchmark unless the viewer's count reports what the plain linear search does.
void CheckCountAgainstLinearSearch(TBitmap& bitmap) {
    const String fast = FormatColourReport(CountBitmapColours(bitmap));
    const String linear =
        FormatColourReport(LinearColourCount(bitmap.Width(), bitmap.Height(), [&](int y) { return Row(bitmap, y); }));
    if (!(fast == linear)) throw std::runtime_error("the colour count's report differs from the linear search's");
}

BenchSamples CountAgainstPlainPass(const fs::path& png, int runs) {
    const std::unique_ptr<TBitmap> bitmap = OpenPng(png);
    CheckCountAgainstLinearSearch(*bitmap);
    BenchSamples samples;
    for (int i = 0; i < runs; ++i) {
        samples.ours.push_back(Milliseconds([&] { CountBitmapColours(*bitmap); }));
        samples.reference.push_back(Milliseconds([&] { SumPixels(*bitmap); }));
    }
    return samples;
}

// The decode of a view alone: the JPEG image into a bitmap.
void DecodeView(const fs::path& file) {
    TFileStream stream(String(file.string()), fmOpenRead | fmShareDenyWrite);
    TJPEGImage image;
    image.LoadStream(stream);
    TBitmap bitmap;
    bitmap.CopyFromObject(&image);
    if (bitmap.Width() == 0) throw std::runtime_error("the JPEG image did not decode");
}

// One turn of a pair measured in the viewer: `ours` (already timed), then the decode of
// `jpeg` alone as the reference, once the viewer's preparation has ended so that the
// reference has the machine to itself; a warm-up turn keeps neither.
void SampleAgainstDecode(BenchSamples& samples, double ours, const fs::path& jpeg, bool warmUp) {
    Orvalis->NextView().WaitUntilDone();
    const double decode = Milliseconds([&] { DecodeView(jpeg); });
    if (warmUp) return;
    samples.ours.push_back(ours);
    samples.reference.push_back(decode);
}

// The file of the next view as the advance finds it at the tick.
enum class NextViewFile {
    AsPrepared,  // the one the preparation read: the advance takes its picture
    Replaced,    // changed since (a new modification time): the advance decodes it
};

// The viewer opens view 1 of the series, then each tick shows the next view: the time
// from the tick to the painted window, against the decode of the view alone, in turns
// (the first advance is a warm-up). Before each tick the preparation of the view has
// finished, as it has when the user looks at a view for a few seconds; with `Replaced`
// the file is then touched, so that the advance finds another file than the one read.
BenchSamples AdvanceAgainstDecode(const fs::path& folder, const fs::path& jpeg, NextViewFile file, int runs) {
    const fs::path first = ViewSeries(folder / "series", jpeg, runs + 2);
    BenchSamples samples;
    int taken = 0;
    RunViewerScripted(folder, [&](UserScript& script) {
        script.AnswerFileDialog(first.string());
        auto start = std::make_shared<std::chrono::steady_clock::time_point>();
        for (int i = 0; i <= runs; ++i) {
            script
                .Check([&, start] {
                    Orvalis->NextView().WaitUntilDone();
                    if (file == NextViewFile::Replaced) fs::last_write_time(jpeg, fs::file_time_type::clock::now());
                    taken = Orvalis->NextView().PicturesTaken();
                    *start = std::chrono::steady_clock::now();
                })
                .Advance(kTickMilliseconds)
                .Check([&, start, warmUp = i == 0] {
                    const double advance =
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *start).count();
                    const bool tookPrepared = Orvalis->NextView().PicturesTaken() > taken;
                    if (tookPrepared != (file == NextViewFile::AsPrepared))
                        throw std::runtime_error("the advance did not go the way the pair measures");
                    SampleAgainstDecode(samples, advance, jpeg, warmUp);
                });
        }
        script.Press(platform::VK_ESCAPE);
    });
    return samples;
}

// The user selects the file in the dialog and stays there a decode's time (its preparation
// ends), then presses "Ouvrir": the time from "Ouvrir" to the painted window, against the
// decode of the file alone, in turns (the first open is a warm-up). The file's name bears
// no view number, so the open starts no series whose view 1 would be decoded meanwhile.
BenchSamples OuvrirAgainstDecode(const fs::path& folder, const fs::path& jpeg, int runs) {
    fs::create_directories(folder);
    const fs::path chosen = folder / "choisie.jpg";
    if (!fs::is_symlink(chosen)) fs::create_symlink(fs::absolute(jpeg), chosen);
    BenchSamples samples;
    int taken = 0;
    RunViewerScripted(folder, [&](UserScript& script) {
        auto start = std::make_shared<std::chrono::steady_clock::time_point>();
        for (int i = 0; i <= runs; ++i) {
            if (i > 0) script.ChooseMenu(platform::headless::WindowTarget::Active(), {"Fichier", "Ouvrir"});
            script.SelectInFileDialog(chosen.string())
                .Check([&, start] {
                    if (!Orvalis->NextView().WaitUntilDone())
                        throw std::runtime_error("the file selected in the dialog was not prepared");
                    taken = Orvalis->NextView().PicturesTaken();
                    *start = std::chrono::steady_clock::now();
                })
                .AnswerFileDialog(chosen.string())
                .Check([&, start, warmUp = i == 0] {
                    const double open =
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *start).count();
                    if (Orvalis->NextView().PicturesTaken() != taken + 1)
                        throw std::runtime_error("'Ouvrir' did not take the prepared picture");
                    SampleAgainstDecode(samples, open, jpeg, warmUp);
                });
        }
        script.Press(platform::VK_ESCAPE);
    });
    return samples;
}

// "Ouvrir" of the file selected in the dialog, at both sizes.
void AddOuvrirPairs(const fs::path& dataFolder, std::vector<BenchPair>& pairs) {
    const fs::path viewerFolder = fs::absolute(dataFolder / "viewer");
    const fs::path jpeg = PhotoJpeg(dataFolder);
    pairs.push_back(
        {"JPEG 4000x3000 q90: 'Ouvrir' to painted window, the file selected in the dialog / the decode alone",
         [viewerFolder, jpeg](int runs) { return OuvrirAgainstDecode(viewerFolder / "ouvrir", jpeg, runs); }, 0.25});
    const fs::path large = LargeJpeg(dataFolder);
    pairs.push_back(
        {"JPEG 10000x10000 q90: 'Ouvrir' to painted window, the file selected in the dialog / the decode alone",
         [viewerFolder, large](int runs) {
             return OuvrirAgainstDecode(viewerFolder / "large-ouvrir", large, std::min(runs, 3));
         },
         0.25});
}

double PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024;  // given in kB
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

constexpr double kMegabyte = 1e6;

// What one view of `pixels` pixels may take: 7 bytes per pixel and 64 MB, in MB.
double Allowance(double pixels) { return (7.0 * pixels + 64 * kMegabyte) / kMegabyte; }

// The viewer's peak memory, each run in a child process of its own (the command), against
// what one view may take.
BenchSamples PeakAgainstAllowance(const std::vector<std::string>& command, double pixels, int runs) {
    BenchSamples samples;
    for (int i = 0; i < runs; ++i) {
        samples.ours.push_back(std::stod(CommandOutput(command)) / kMegabyte);
        samples.reference.push_back(Allowance(pixels));
    }
    return samples;
}

std::vector<std::string> HeadlessPeakCommand(const fs::path& folder, const fs::path& jpeg) {
    ViewSeries(folder, jpeg, 2);
    return {fs::read_symlink("/proc/self/exe").string(), kViewerPeakOption, folder.string()};
}

// The real program on the desktop backend, in a virtual X display (bench/desktop_viewer.py).
std::vector<std::string> DesktopPeakCommand(const fs::path& folder, const fs::path& jpeg) {
    ViewSeries(folder, jpeg, 3);
    return {"python3", ORVALIS_DESKTOP_SCRIPT, "peak", ORVALIS_VIEWER_PROGRAM, folder.string()};
}

// Repaints of the whole window showing the large view, against the same with the
// screen-sized view, on a screen of 1920 x 1080: both views are opened through the
// dialog, kept, and then shown by turns (each sample: ten repaints).
BenchSamples RepaintLargeAgainstScreenSized(const fs::path& folder, const fs::path& large, const fs::path& screenSized,
                                            int runs) {
    BenchSamples samples;
    TBitmap largeView, screenView;
    auto repaints = [](TBitmap& view) {
        Orvalis->Image1->Picture()->CopyFromObject(&view);
        Orvalis->Update();  // the change's own paint, not timed
        return Milliseconds([] {
                   for (int i = 0; i < 10; ++i) {
                       Orvalis->Invalidate();
                       Orvalis->Update();
                   }
               }) /
               10;
    };
    RunViewerScripted(
        folder,
        [&](UserScript& script) {
            script.AnswerFileDialog(fs::absolute(large).string())
                .Check([&] { largeView.CopyFromObject(Orvalis->BitmapCourant.get()); })
                .ChooseMenu(platform::headless::WindowTarget::Active(), {"Fichier", "Ouvrir"})
                .AnswerFileDialog(fs::absolute(screenSized).string())
                .Check([&] {
                    screenView.CopyFromObject(Orvalis->BitmapCourant.get());
                    repaints(largeView);  // warm-up
                    repaints(screenView);
                    for (int i = 0; i < runs; ++i) {
                        samples.ours.push_back(repaints(largeView));
                        samples.reference.push_back(repaints(screenView));
                    }
                })
                .Press(platform::VK_ESCAPE);
        },
        platform::ScreenMetrics{.width = 1920, .height = 1080});
    return samples;
}

// From Escape to the end of the real program on the desktop backend, in a virtual X
// display of 1280 x 1024, with `view` shown; in milliseconds.
double DesktopExitWithViewShown(const fs::path& view) {
    return 1000 * std::stod(CommandOutput({"python3", ORVALIS_DESKTOP_SCRIPT, "exit", ORVALIS_VIEWER_PROGRAM,
                                           fs::absolute(view).string()}));
}

// The peak resident size is measured from now on (/proc/self/clear_refs).
void RestartPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::vector<std::string> CountPeakCommand(const fs::path& png) {
    return {fs::read_symlink("/proc/self/exe").string(), kCountPeakOption, fs::absolute(png).string()};
}

// A hundred-megapixel series in progressive files, whose decode holds the library's
// coefficients of the whole picture; and the peak of a colour count (before, the count
// gave the working bitmap a private copy of its 48 MB).
void AddLargeSeriesAndCountPeakPairs(const fs::path& dataFolder, std::vector<BenchPair>& pairs) {
    const fs::path png = PhotoRgbPng(dataFolder);
    const double pixels = double(kPictureWidth) * kPictureHeight;
    pairs.push_back(
        {"PNG 4000x3000 RGB: the viewer's peak during a count / 7 B per pixel + 64 MB",
         [png, pixels](int runs) { return PeakAgainstAllowance(CountPeakCommand(png), pixels, std::min(runs, 3)); },
         1.0, "MB"});

    const fs::path viewerFolder = fs::absolute(dataFolder / "viewer");
    const fs::path progressive = LargeProgressiveJpeg(dataFolder);
    const double largePixels = double(kLargeSide) * kLargeSide;
    pairs.push_back(
        {"JPEG 10000x10000 q90 progressive: the viewer's peak resident size, a view then the next / 7 B per "
         "pixel + 64 MB",
         [viewerFolder, progressive, largePixels](int runs) {
             return PeakAgainstAllowance(HeadlessPeakCommand(viewerFolder / "progressive-peak", progressive),
                                         largePixels, std::min(runs, 3));
         },
         1.0, "MB"});
    pairs.push_back(
        {"JPEG 10000x10000 q90 progressive: the program's peak on the desktop (Xvfb), a view then the next / "
         "7 B per pixel + 64 MB",
         [viewerFolder, progressive, largePixels](int runs) {
             return PeakAgainstAllowance(DesktopPeakCommand(viewerFolder / "progressive-desktop-peak", progressive),
                                         largePixels, std::min(runs, 3));
         },
         1.0, "MB"});
}

}  // namespace

int PrintCountPeak(const fs::path& png) {
    const fs::path work = fs::absolute(png).parent_path() / "count-peak";
    fs::create_directories(work);
    // The PNG opened (not weighed), then the count from the menu.
    RunViewerScripted(work, [&](UserScript& script) {
        script.AnswerFileDialog(fs::absolute(png).string())
            .Check([] { RestartPeakResident(); })
            .ChooseMenu(platform::headless::WindowTarget::Active(), {"Traitement PNG", "Comptage couleurs "})
            .Check([] {
                if (!Orvalis->BitmapCourant || Orvalis->BitmapCourant->Width() != kPictureWidth)
                    throw std::runtime_error("the PNG was not opened for the count");
            })
            .Press(platform::VK_ESCAPE);
    });
    std::cout << static_cast<long long>(PeakResidentBytes()) << '\n';
    return 0;
}

int PrintViewerPeak(const fs::path& folder) {
    const fs::path seriesFolder = fs::absolute(folder);
    // Open view 1 (shown), then two ticks: view 1 again, then view 2.
    RunViewerScripted(seriesFolder, [&](UserScript& script) {
        script.AnswerFileDialog((seriesFolder / "vue1.jpg").string())
            .Advance(kTickMilliseconds)
            .Advance(kTickMilliseconds)
            .Press(platform::VK_ESCAPE);
    });
    std::cout << static_cast<long long>(PeakResidentBytes()) << '\n';
    return 0;
}

void AddViewerPairs(const fs::path& dataFolder, std::vector<BenchPair>& pairs) {
    const fs::path png = PhotoRgbPng(dataFolder);
    pairs.push_back({"PNG 4000x3000 RGB: colour count / one pass summing the pixels",
                     [png](int runs) { return CountAgainstPlainPass(png, runs); }, 1.5});
    pairs.push_back(TimedPair(
        "PNG 4000x3000 RGB: LitPNG and colour count / identify -format %k",
        [png] { CountBitmapColours(*OpenPng(png)); }, Command({"identify", "-format", "%k", png.string()}), kNoTarget));

    const fs::path jpeg = PhotoJpeg(dataFolder);
    const fs::path viewerFolder = fs::absolute(dataFolder / "viewer");
    pairs.push_back(
        {"JPEG 4000x3000 q90: one advance, tick to painted window, the next view prepared / the decode alone",
         [viewerFolder, jpeg](int runs) {
             return AdvanceAgainstDecode(viewerFolder, jpeg, NextViewFile::AsPrepared, runs);
         },
         0.25});
    pairs.push_back({"JPEG 4000x3000 q90: one advance, the file replaced after its preparation / the decode alone",
                     [viewerFolder, jpeg](int runs) {
                         return AdvanceAgainstDecode(viewerFolder, jpeg, NextViewFile::Replaced, runs);
                     },
                     1.2});
    AddOuvrirPairs(dataFolder, pairs);
    const double pixels = double(kPictureWidth) * kPictureHeight;
    pairs.push_back(
        {"JPEG 4000x3000 q90: the viewer's peak resident size, a view then the next / 7 B per pixel + 64 MB",
         [viewerFolder, jpeg, pixels](int runs) {
             return PeakAgainstAllowance(HeadlessPeakCommand(viewerFolder / "peak", jpeg), pixels, std::min(runs, 3));
         },
         1.0, "MB"});
    pairs.push_back(
        {"JPEG 4000x3000 q90: the program's peak on the desktop (Xvfb), a view then the next / 7 B per "
         "pixel + 64 MB",
         [viewerFolder, jpeg, pixels](int runs) {
             return PeakAgainstAllowance(DesktopPeakCommand(viewerFolder / "desktop-peak", jpeg), pixels,
                                         std::min(runs, 3));
         },
         1.0, "MB"});

    // A hundred megapixels: a view larger than the screen.
    const fs::path large = LargeJpeg(dataFolder);
    const double largePixels = double(kLargeSide) * kLargeSide;
    pairs.push_back(
        {"JPEG 10000x10000 q90: the viewer's peak resident size, a view then the next / 7 B per pixel + "
         "64 MB",
         [viewerFolder, large, largePixels](int runs) {
             return PeakAgainstAllowance(HeadlessPeakCommand(viewerFolder / "large-peak", large), largePixels,
                                         std::min(runs, 3));
         },
         1.0, "MB"});
    pairs.push_back({"JPEG 10000x10000 q90: one advance, the file replaced after its preparation / the decode alone",
                     [viewerFolder, large](int runs) {
                         return AdvanceAgainstDecode(viewerFolder / "large", large, NextViewFile::Replaced,
                                                     std::min(runs, 3));
                     },
                     1.2});
    const fs::path screenSized = ScreenJpeg(dataFolder);
    pairs.push_back({"JPEG 10000x10000 q90: a repaint of the window on a 1920x1080 screen / of a 1920x1080 view",
                     [viewerFolder, large, screenSized](int runs) {
                         return RepaintLargeAgainstScreenSized(viewerFolder / "repaint", large, screenSized, runs);
                     },
                     1.5});
    const fs::path small = SmallJpeg(dataFolder);
    pairs.push_back(
        {"JPEG 10000x10000 q90: Escape to the end of the program on the desktop (Xvfb) / with a 400x300 "
         "view",
         [large, small](int runs) {
             BenchSamples samples;
             for (int i = 0; i < runs; ++i) {
                 samples.ours.push_back(DesktopExitWithViewShown(large));
                 samples.reference.push_back(DesktopExitWithViewShown(small));
             }
             return samples;
         },
         1.5});
    AddLargeSeriesAndCountPeakPairs(dataFolder, pairs);
}

}  // namespace orvalis::bench
