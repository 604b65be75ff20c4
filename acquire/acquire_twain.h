// acquire/acquire_twain.h
#pragma once

#include "acquire/twain_connection.h"

#include <functional>

struct AcquireSettings;

// The connection of the acquisition: takes every picture the source
// offers, lets it close when it asks, and saves each picture at once
// under the next free numbered name in the chosen format.
class CAcquireTwain : public CTwainConnection
{
  public:
    // defaultFolder: the browse folder, or the documents folder, used when
    // no save folder is set. saved is told each file written.
    CAcquireTwain(AcquireSettings &settings, std::function<QString()> defaultFolder,
                  std::function<void(const QString &)> saved,
                  QStringList managerLibraries = DefaultManagerLibraries());

    int DecideTransfer(const TW_IMAGEINFO &info) override;
    bool MayCloseOnRequest() override;
    void OnImageTransferred(const std::uint8_t *data, std::size_t size, const TW_IMAGEINFO &info) override;

  private:
    AcquireSettings &mSettings;
    std::function<QString()> mDefaultFolder;
    std::function<void(const QString &)> mSaved;
};
