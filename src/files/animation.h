// Animations: frames written one after another into one animated PNG or
// GIF file, which loops forever. Frames are added in order and not kept:
// each is compressed and appended to a part file beside the target as it
// comes, and the file is renamed into place when the animation is
// finished, so it appears whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>

#include "files/file_output.h"
#include "picture/outcome.h"
#include "picture/picture.h"

enum class AnimationFormat : uint8_t {
    // Animated PNG: the first frame is also the image that readers without
    // animations show; each frame is a PNG image in every way but name.
    Png,
    // GIF89a: grey frames keep every level; colour frames take 256 colours
    // of their own (see gif_encoder.h).
    Gif,
};

constexpr int32_t DefaultFramesPerSecond = 12;
// A GIF's delays are in hundredths of a second.
constexpr int32_t MostFramesPerSecond = 100;

// True, with the format, when the name ends in .png or .gif (any case).
bool animationFormatOf(const std::filesystem::path& fileName, AnimationFormat& format);

// An animation being written. It owns its part file: dropped before it is
// finished, it removes it and leaves no file.
struct AnimationWriter {
    Runtime* runtime = nullptr;
    AnimationFormat format = AnimationFormat::Png;
    int32_t framesPerSecond = DefaultFramesPerSecond;
    PartFile file;
    std::filesystem::path fileName;
    // The size of the first frame, which every frame has.
    int32_t width = 0;
    int32_t height = 0;
    // The channels every frame of an animated PNG is written in: one colour
    // type holds for all.
    int32_t channels = GreyChannels;
    uint32_t frames = 0;
    // The sequence number of the next fcTL or fdAT chunk.
    uint32_t sequence = 0;
    // Once a call is refused, the animation is over: every later call
    // gives the same outcome, and the part file is gone.
    Outcome ended;
};

// An animation to be written to fileName at framesPerSecond (held within
// 1 .. MostFramesPerSecond). Nothing is written before the first frame.
AnimationWriter beginAnimation(Runtime& runtime, const std::filesystem::path& fileName, AnimationFormat format,
                               int32_t framesPerSecond);

// Appends a frame. Refused, ending the animation and leaving no file, when
// its size is not the first frame's ("Wszystkie klatki animacji muszą mieć
// takie same wymiary!"), when a GIF frame is wider or taller than 65535
// ("Obrazek jest zbyt duży dla pliku GIF!"), or when the part file cannot
// be written ("Błąd zapisu pliku!"); out of memory ends it too. In an
// animated PNG, a colour frame after grey ones makes every frame colour:
// those written so far are read back and written again.
Outcome addAnimationFrame(AnimationWriter& writer, const Picture& frame);

// Writes the end of the file and puts it in place. Refused with "Teee......
// nie ma co nagrywać!" without a frame, with "Błąd zapisu pliku!" when the
// file could not be written; either way no file is left.
Outcome finishAnimation(AnimationWriter& writer);
