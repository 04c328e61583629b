// The abstract data object: everything a data window shows or a data file
// holds (a picture or a text) is one of these.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "platform/ByteArchive.h"

namespace brelko {

class CData;
class DrawSurface;

class CData : public std::enable_shared_from_this<CData> {
public:
    virtual ~CData() = default;

    // Load (archive loading) or store the content in the subclass's format.
    // Failures are left in the archive's status.
    virtual void Serialize(ByteArchive& ar) { (void)ar; }
    // Draws the content into a surface at the current zoom settings.
    virtual void Draw(DrawSurface& surface) = 0;
    // The description for the status window. Pictures are loaded on their
    // reception worker: other threads read it through here.
    virtual std::string GetDescription() const { return m_strDescription; }

    // Zoom levels stay between 1/16 and 4096 times the picture size, so the
    // drawn size neither vanishes nor overflows.
    static constexpr int kMinZoomLevel = -4;
    static constexpr int kMaxZoomLevel = 12;
    // The view's zoom commands.
    void ZoomIn() { m_bFitToWindow = 0, m_nZoom = std::clamp(m_nZoom + 1, kMinZoomLevel, kMaxZoomLevel); }
    void ZoomOut() { m_bFitToWindow = 0, m_nZoom = std::clamp(m_nZoom - 1, kMinZoomLevel, kMaxZoomLevel); }
    void ZoomActualSize() { m_bFitToWindow = 0, m_nZoom = 0; }
    void ToggleFitToWindow() { m_bFitToWindow = !m_bFitToWindow, m_bNaturalScale = 0; }
    void ToggleNaturalScale() { m_bFitToWindow = 0, m_bNaturalScale = !m_bNaturalScale; }

    std::string m_strDescription;
    int m_nZoom = 0;
    int m_bNaturalScale = 0;
    int m_bFitToWindow = 0;
    int m_bValid = 0;
};

}  // namespace brelko
