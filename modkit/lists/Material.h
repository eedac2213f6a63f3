#pragma once
#include "modkit/core/Export.h"
#include <memory>

#include "modkit/lists/Color.h"

namespace modkit {

// Four colours and a specular power. The colours are shared objects: changing
// the one a getter returns changes the material.
class MODKIT_EXPORT Material {
public:
    std::shared_ptr<Color> Diffuse() const { return diffuse_; }
    std::shared_ptr<Color> Ambient() const { return ambient_; }
    std::shared_ptr<Color> Specular() const { return specular_; }
    std::shared_ptr<Color> Emmisive() const { return emmisive_; }
    float Power() const { return power_; }
    void setDiffuse(std::shared_ptr<Color> c) { diffuse_ = std::move(c); }
    void setAmbient(std::shared_ptr<Color> c) { ambient_ = std::move(c); }
    void setSpecular(std::shared_ptr<Color> c) { specular_ = std::move(c); }
    void setEmmisive(std::shared_ptr<Color> c) { emmisive_ = std::move(c); }
    void setPower(float p) { power_ = p; }

private:
    std::shared_ptr<Color> diffuse_ = std::make_shared<Color>();
    std::shared_ptr<Color> ambient_ = std::make_shared<Color>();
    std::shared_ptr<Color> specular_ = std::make_shared<Color>();
    std::shared_ptr<Color> emmisive_ = std::make_shared<Color>();
    float power_ = 0;
};

}  // namespace modkit
