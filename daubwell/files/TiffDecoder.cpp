// TIFF through the general image library, which must not run in the painting's process:
// it is known to crash and hang on damaged files. A child process decodes the picture and
// sends it back through a pipe; a crash or a hang costs only the child.
#include <IL/il.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "PictureReaders.h"

namespace daubwell {
namespace {

bool writeAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

// In the child: one status byte (1 decoded, 0 failed), then width, height and the RGB
// rows, or the failure's text.
void decodeInChild(std::span<const uint8_t> bytes, int fd) {
  auto refuse = [fd](const char* why) {
    const uint8_t no = 0;
    writeAll(fd, &no, 1);
    writeAll(fd, why, std::strlen(why));
  };
  ilInit();
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  ilEnable(IL_ORIGIN_SET);
  ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
  if (!ilLoadL(IL_TIF, bytes.data(), ILuint(bytes.size())) || !ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
    return refuse("the picture cannot be decoded");
  const ILint w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
  // What the library hands over must be exactly width x height RGB bytes.
  if (w < 1 || h < 1 || !pictureSizeFits(uint64_t(w), uint64_t(h)) || ilGetInteger(IL_IMAGE_DEPTH) != 1 ||
      ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 3 || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE ||
      uint64_t(ilGetInteger(IL_IMAGE_SIZE_OF_DATA)) != uint64_t(w) * uint64_t(h) * 3 || !ilGetData())
    return refuse("the decoded picture does not match its size");
  const uint8_t yes = 1;
  const uint32_t size[2] = {uint32_t(w), uint32_t(h)};
  if (writeAll(fd, &yes, 1) && writeAll(fd, size, sizeof size)) writeAll(fd, ilGetData(), size_t(w) * size_t(h) * 3);
}

// Reads exactly `size` bytes unless the deadline passes or the child ends first.
bool readAll(int fd, void* data, size_t size, std::chrono::steady_clock::time_point deadline, size_t* got = nullptr) {
  auto* p = static_cast<uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, int(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t n = ::read(fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  if (got) *got = done;
  return done == size;
}

}  // namespace

Result<RgbPicture> decodeTiff(std::span<const uint8_t> bytes, int seconds) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return fail("TIFF: cannot start the decoder");
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return fail("TIFF: cannot start the decoder");
  }
  if (child == 0) {
    ::close(fds[0]);
    decodeInChild(bytes, fds[1]);
    ::_exit(0);
  }
  ::close(fds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  Result<RgbPicture> result = fail("TIFF: the decoder ended without a picture");
  uint8_t status = 0;
  if (readAll(fds[0], &status, 1, deadline)) {
    if (status == 1) {
      uint32_t size[2];
      RgbPicture p;
      if (readAll(fds[0], size, sizeof size, deadline) && pictureSizeFits(size[0], size[1])) {
        p.width = size[0];
        p.height = size[1];
        p.rgb.resize(size_t(p.width) * p.height * 3);
        if (readAll(fds[0], p.rgb.data(), p.rgb.size(), deadline)) result = std::move(p);
      }
    } else {
      char why[200] = "";
      size_t got = 0;
      readAll(fds[0], why, sizeof why - 1, deadline, &got);
      result = fail(std::string("TIFF: ") + std::string(why, got));
    }
  }
  const bool late = std::chrono::steady_clock::now() >= deadline;
  ::close(fds[0]);
  int how = 0;
  if (::waitpid(child, &how, WNOHANG) == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &how, 0);
  }
  if (late && !result) return fail("TIFF: the decoder took longer than " + std::to_string(seconds) + " s");
  if (WIFSIGNALED(how) && !result) return fail("TIFF: the decoder failed (signal " + std::to_string(WTERMSIG(how)) + ")");
  return result;
}

}  // namespace daubwell
