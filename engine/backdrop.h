// An image stretched over the whole canvas.
#pragma once

#include <string>

class Graphics;

class Backdrop {
public:
    explicit Backdrop(const std::string& image);
    virtual ~Backdrop() = default;
    void draw(Graphics& graphics) const;
    virtual void update() {}

    std::string image;
};
