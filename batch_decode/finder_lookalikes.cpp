#include "batch_decode/finder_lookalikes.h"

#include "common/input_limits.h"

#include <opencv2/imgproc.hpp>

#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace {

// Five runs in the proportions 1:1:3:1:1, each within half a module.
bool finderProportions(const int *runs)
{
    const int total = runs[0] + runs[1] + runs[2] + runs[3] + runs[4];
    if (total < 7)
        return false;
    const double module = total / 7.0, slack = module / 2;
    return std::abs(runs[0] - module) < slack && std::abs(runs[1] - module) < slack
        && std::abs(runs[2] - 3 * module) < 3 * slack && std::abs(runs[3] - module) < slack
        && std::abs(runs[4] - module) < slack;
}

}

bool tooManyFinderLookalikes(const cv::Mat &grey)
{
    cv::Mat binary;
    cv::threshold(grey, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    // One place per pattern: its centre in cells as wide as the pattern, so the
    // lines through one pattern count once (twice where they straddle two cells).
    // A place counts from its second line on: noise rarely matches twice in a cell.
    std::map<std::pair<int, int>, int> lines;
    int places = 0;
    std::vector<int> runs;
    std::vector<int> ends;
    for (int y = 0; y < binary.rows; ++y) {
        const uchar *row = binary.ptr<uchar>(y);
        runs.clear();
        ends.clear();
        int start = 0;
        for (int x = 1; x <= binary.cols; ++x) {
            if (x == binary.cols || row[x] != row[start]) {
                runs.push_back(x - start);
                ends.push_back(x);
                start = x;
            }
        }
        for (size_t i = 0; i + 5 <= runs.size(); ++i) {
            if (!finderProportions(&runs[i]))
                continue;
            const int width = ends[i + 4] - (ends[i] - runs[i]);
            const int centre = ends[i + 1] + runs[i + 2] / 2;
            if (++lines[{centre / width, y / width}] == 2 && ++places > maxFinderLookalikes)
                return true;
        }
    }
    return false;
}
