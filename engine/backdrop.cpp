#include "engine/backdrop.h"

#include "engine/graphics.h"

Backdrop::Backdrop(const std::string& image_) : image(image_) {}

void Backdrop::draw(Graphics& graphics) const { graphics.blit(image, nullptr, nullptr); }
