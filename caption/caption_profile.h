// caption/caption_profile.h
#pragma once

#include "caption/caption_settings.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ProfileStore;

// A whole caption design as key=value lines of one profile section, written
// so that a person can read and edit it: colours as #RRGGBB (the back colour
// may be "none"), switches as 0 or 1, alignment, anchor and effect by name,
// the offsets as "L,T,R,B" in the box's own terms, sizes as decimal numbers.
// Text (the caption, the face name, the logo's path) is UTF-8 with
// backslash escapes for what a line cannot hold: \n, \r, \t, \\ and \xHH
// (also for a blank or quote at either end, which the store would drop).
//
// Reading never fails: a missing key keeps the base's value; a damaged one
// (not a number, out of range, NaN, an unknown name, a text too long, offsets
// that describe no box for the anchor) keeps the base's value too and is
// named in the problems. Pure functions over the store; UI thread or any
// thread that owns the store.

extern const char kCaptionSection[]; // "Caption"

// Caption texts longer than this (UTF-16 units) are taken as damaged.
constexpr qsizetype kMaxCaptionTextLength = 64 * 1024;

// The section's lines in the order they are written.
std::vector<std::pair<std::string, std::string>> captionProfileEntries(const CaptionSettings &caption);

// Writes every field with one replacement of the file; false when the
// profile could not be written (it is then left as it was).
bool saveCaptionProfile(ProfileStore &profile, const CaptionSettings &caption,
                        const char *section = kCaptionSection);

// The design stored in the section, field by field over base. Each damaged
// value adds "Key: what is wrong" to problems when given.
CaptionSettings loadCaptionProfile(const ProfileStore &profile, const CaptionSettings &base,
                                   std::vector<std::string> *problems = nullptr,
                                   const char *section = kCaptionSection);

// The escapes above, both ways; unescaping keeps a backslash that starts no
// known escape as it is, so a hand-written "C:\photos" survives.
std::string escapeProfileText(std::string_view text);
std::string unescapeProfileText(std::string_view stored);
