#include "extensions/interface_helpers.h"

namespace voltaro {
namespace {

ui::Layer shadingBand(double screenWidth, std::vector<std::string> colors) {
    ui::Layer layer;
    layer.kind = ui::Layer::Kind::Gradient;
    layer.width = screenWidth;
    layer.height = screenWidth * 0.5;
    layer.colorNames = std::move(colors);
    layer.locations = {0.1, 1.0};
    layer.startX = 0;
    layer.startY = 0;
    layer.endX = 0;
    layer.endY = 1;
    return layer;
}

}  // namespace

void applyEdgeShading(double screenWidth, ui::View& topBand, ui::View& bottomBand,
                      ShadingMode mode) {
    if (mode == ShadingMode::Replace) {
        topBand.removeAllLayers();
        bottomBand.removeAllLayers();
    }
    topBand.addLayer(shadingBand(screenWidth, {"black", "clear"}));
    bottomBand.addLayer(shadingBand(screenWidth, {"clear", "black"}));
}

void addBottomBorder(ui::View& view, double width) {
    ui::Layer line;
    line.kind = ui::Layer::Kind::Border;
    const double height = view.height();
    // Only the top edge of this frame lies inside the view: a line along its bottom.
    line.x = 0;
    line.y = height - 1;
    line.width = width;
    line.height = height;
    line.borderWidth = 1;
    line.borderColorName = "lightGray";
    view.addLayer(std::move(line));
    view.setClipsToBounds(true);
}

void presentSlidingRight(ui::Navigator& navigator, const std::string& screenName,
                         const ui::ScreenArguments& arguments) {
    navigator.present(screenName, ui::Transition::SlideFromRight, arguments);
}

void dismissSlidingLeft(ui::Navigator& navigator) {
    navigator.dismiss(ui::Transition::SlideFromLeft);
}

}  // namespace voltaro
