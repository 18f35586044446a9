#include "media/service/pictures/picture_pool.h"

#include <cstdlib>
#include <sys/mman.h>

namespace media::service {

namespace {

constexpr std::size_t kHugePage = 2u * 1024u * 1024u;
constexpr std::size_t kBlockBytes = 4 * kHugePage;

struct Ticket {
    std::shared_ptr<PicturePool> pool;
    unsigned char* slot;
};

} // namespace

std::shared_ptr<PicturePool> PicturePool::create(QSize size, std::size_t budgetBytes) {
    return std::shared_ptr<PicturePool>(new PicturePool(size, budgetBytes));
}

PicturePool::PicturePool(QSize size, std::size_t budgetBytes)
    : size_(size), bytesPerLine_(static_cast<qsizetype>(size.width()) * 4),
      slotBytes_(static_cast<std::size_t>(bytesPerLine_) * static_cast<std::size_t>(size.height())),
      maxBlocks_(slotBytes_ == 0 || slotBytes_ > kBlockBytes
                     ? 0
                     : (budgetBytes + kBlockBytes - 1) / kBlockBytes) {}

PicturePool::~PicturePool() {
    for (void* block : blocks_)
        std::free(block);
}

bool PicturePool::addBlock() {
    if (blocks_.size() >= maxBlocks_)
        return false;
    void* block = std::aligned_alloc(kHugePage, kBlockBytes);
    if (!block)
        return false;
    madvise(block, kBlockBytes, MADV_HUGEPAGE); // a hint: without it, ordinary pages
    blocks_.push_back(block);
    auto* bytes = static_cast<unsigned char*>(block);
    // Handed out from the start of the block, where prepare() has touched it.
    const std::size_t count = kBlockBytes / slotBytes_;
    for (std::size_t i = count; i-- > 0;)
        free_.push_back(bytes + i * slotBytes_);
    return true;
}

QImage PicturePool::acquire() {
    unsigned char* slot = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!free_.empty() || addBlock()) {
            slot = free_.back();
            free_.pop_back();
            ++inUse_;
        }
    }
    if (!slot)
        return QImage(size_, QImage::Format_RGB32);
    auto* ticket = new Ticket{shared_from_this(), slot};
    return QImage(slot, size_.width(), size_.height(), bytesPerLine_, QImage::Format_RGB32,
                  &PicturePool::releaseSlot, ticket);
}

void PicturePool::releaseSlot(void* info) {
    auto* ticket = static_cast<Ticket*>(info);
    ticket->pool->release(ticket->slot);
    delete ticket; // may drop the last reference to the pool
}

void PicturePool::release(unsigned char* slot) {
    std::lock_guard lock(mutex_);
    free_.push_back(slot);
    --inUse_;
}

void PicturePool::prepare() {
    std::lock_guard lock(mutex_);
    if (!blocks_.empty() || !addBlock())
        return;
    // One fault when the block got a huge page; else one per page of the first pictures.
    auto* block = static_cast<volatile unsigned char*>(blocks_.front());
    for (std::size_t at = 0; at < kHugePage; at += 4096)
        block[at] = 0;
}

std::size_t PicturePool::slotsInUse() const {
    std::lock_guard lock(mutex_);
    return inUse_;
}

} // namespace media::service
