#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace media::service {

// Memory for pictures of one size, taken from large blocks and handed back when the last
// copy of a picture goes. Fresh memory costs a page fault per 4 KB on first touch, which
// for a cache that fills with a new picture at every step costs more than the scaling
// itself; reused slots cost nothing, and the blocks ask for huge pages.
class PicturePool : public std::enable_shared_from_this<PicturePool> {
  public:
    // Pictures of `size` in RGB32, at most `budgetBytes` of them in the blocks.
    static std::shared_ptr<PicturePool> create(QSize size, std::size_t budgetBytes);
    ~PicturePool();
    PicturePool(const PicturePool&) = delete;
    PicturePool& operator=(const PicturePool&) = delete;

    QSize size() const { return size_; }
    // A picture with undefined content; from ordinary memory once the blocks are used up.
    // Any thread may hold and drop its copies.
    QImage acquire();
    std::size_t slotsInUse() const;
    // Takes the first block and touches its first pages, so that the first pictures do not
    // wait for fresh memory.
    void prepare();

  private:
    PicturePool(QSize size, std::size_t budgetBytes);
    void release(unsigned char* slot);
    bool addBlock();
    static void releaseSlot(void* ticket);

    const QSize size_;
    const qsizetype bytesPerLine_;
    const std::size_t slotBytes_;
    const std::size_t maxBlocks_;
    mutable std::mutex mutex_;
    std::vector<void*> blocks_;
    std::vector<unsigned char*> free_;
    std::size_t inUse_ = 0;
};

} // namespace media::service
