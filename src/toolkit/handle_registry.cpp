#include "toolkit/handle_registry.h"

#include "toolkit/picture_box.h"

#include <QPointer>
#include <unordered_map>

namespace toolkit {

namespace {

struct Registry {
    std::int32_t next = 1;
    std::unordered_map<std::int32_t, QPointer<QWidget>> windows;
    std::unordered_map<std::int32_t, QPointer<PictureBox>> surfaces;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

std::int32_t registerWindow(QWidget* window) {
    Registry& r = registry();
    const std::int32_t handle = r.next++;
    r.windows.emplace(handle, window);
    return handle;
}

std::int32_t registerDeviceContext(PictureBox* surface) {
    Registry& r = registry();
    const std::int32_t handle = r.next++;
    r.surfaces.emplace(handle, surface);
    return handle;
}

void unregisterHandle(std::int32_t handle) {
    registry().windows.erase(handle);
    registry().surfaces.erase(handle);
}

QWidget* windowFromHandle(std::int32_t handle) {
    const auto& windows = registry().windows;
    const auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second.data();
}

PictureBox* surfaceFromDeviceContext(std::int32_t handle) {
    const auto& surfaces = registry().surfaces;
    const auto it = surfaces.find(handle);
    return it == surfaces.end() ? nullptr : it->second.data();
}

} // namespace toolkit
