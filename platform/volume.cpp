#include "platform/volume.h"

#include <atomic>

namespace td {

namespace {

std::atomic<VolumeSystem*> g_volumes{nullptr};

}  // namespace

VolumeSystem& Volumes() {
    VolumeSystem* installed = g_volumes.load(std::memory_order_acquire);
    return installed ? *installed : NativeVolumes();
}

VolumeSystem* SetVolumes(VolumeSystem* volumes) {
    return g_volumes.exchange(volumes, std::memory_order_acq_rel);
}

}  // namespace td
