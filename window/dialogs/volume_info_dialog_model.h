// The volume information dialog (template 158): the disk volumes the list's
// songs live on, one row each with its label and root, its kind of drive
// and the number of songs, sortable by a click on a column's header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace td {

class Playlist;

class VolumeInfoDialogModel {
public:
    static constexpr int kColumnCount = 3;

    struct Row {
        std::string label;
        std::string root;
        uint32_t driveType;
        int fileCount;
    };

    // The rows in the Playlist's volume order.
    explicit VolumeInfoDialogModel(const Playlist& playlist);

    const std::vector<Row>& rows() const { return rows_; }
    // Text of `column` (0 "label (root)", 1 the drive's kind, 2 the count).
    std::string text(int row, int column) const;
    // The image of the drive's kind: removable 2, network 3, CD or DVD 1,
    // RAM disk 4, any other 0.
    int image(int row) const;

    // A click on the header of `column`: the column sorted last is reversed,
    // another is sorted keeping the direction. Starts as column 0 ascending.
    void clickColumn(int column);
    int sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

    // The LangTable text naming a drive type.
    static int driveTypeText(uint32_t driveType);

private:
    std::vector<Row> rows_;
    int sortColumn_ = 0;
    bool descending_ = false;
};

}  // namespace td
