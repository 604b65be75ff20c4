// caption/caption_source.h
#pragma once

#include "caption/caption_settings.h"

#include <optional>

// Where the export and the viewer read the caption designed on the Batch
// Settings page (none: no caption). UI thread only.
class CaptionSource
{
  public:
    virtual ~CaptionSource() = default;
    virtual std::optional<CaptionSettings> ExportCaption() const = 0;
};
