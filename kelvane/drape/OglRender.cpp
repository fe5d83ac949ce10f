#include "OglRender.h"

#include <GL/osmesa.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "../raster/ParallelRows.h"
#include "Jitter.h"
#include "ProjectiveCells.h"

namespace kelvane {

std::pair<float, float> RotateUV(float rotate, float u, float v) {
  const float a = float(rotate * std::numbers::pi / 180.0);
  const double c = std::cos(double(a)), s = std::sin(double(a));
  return {float(c * (u - 0.5) - s * (v - 0.5) + 0.5), float(s * (u - 0.5) + c * (v - 0.5) + 0.5)};
}

std::pair<float, float> NodeTexCoord(const TTexturePlacement& p, float u, float v) {
  const auto [s, t] = RotateUV(p.Rotate, u, v);
  return {p.TileX * s + p.ShiftX, p.TileY * t + p.ShiftY};
}

TViewport PerspectiveViewport(int width, int height) {
  // Integer division truncates towards zero, as "div" does.
  if (width < height) return {(width - height) / 2, 0, height, height};
  return {0, (height - width) / 2, width, width};
}

int MaskPassCount(int passes) { return passes == -1 ? 2 : passes; }

std::pair<int, int> TextureUploadSize(int width, int height, int maxSide) {
  if (width <= maxSide && height <= maxSide) return {width, height};
  // The mipmap builder's rule: the power of two below, or above when the value is
  // nearer to it (the two leading bits set).
  auto nearestPower = [](int v) {
    int p = 1;
    for (unsigned u = unsigned(std::max(v, 1)); u > 1; u >>= 1, p *= 2)
      if (u == 3) return p * 4;
    return p;
  };
  int w = nearestPower(width), h = nearestPower(height);
  while (w > maxSide || h > maxSide) w = std::max(1, w / 2), h = std::max(1, h / 2);
  return {w, h};
}

void ShrinkTextureRows(const TBitmap32& t, int width, int height, int y0, int y1, TColor32* out) {
  const int64_t W = t.Width(), H = t.Height();
  std::vector<int> left(size_t(width) + 1);
  for (int x = 0; x <= width; ++x) left[size_t(x)] = int(x * W / width);
  std::vector<uint32_t> sums(size_t(width) * 4);
  for (int y = y0; y < y1; ++y, out += width) {
    const int top = int(y * H / height), bottom = std::max(top + 1, int((y + 1) * H / height));
    std::fill(sums.begin(), sums.end(), 0u);
    for (int sy = top; sy < bottom; ++sy) {
      const TColor32* src = t.ScanLine(sy);
      for (int x = 0; x < width; ++x) {
        uint32_t* s = &sums[size_t(x) * 4];
        for (int sx = left[size_t(x)], end = std::max(sx + 1, left[size_t(x) + 1]); sx < end; ++sx) {
          const TColor32 c = src[sx];
          s[0] += c & 0xFF, s[1] += (c >> 8) & 0xFF, s[2] += (c >> 16) & 0xFF, s[3] += c >> 24;
        }
      }
    }
    for (int x = 0; x < width; ++x) {
      const uint32_t n = uint32_t((bottom - top) * std::max(1, left[size_t(x) + 1] - left[size_t(x)]));
      const uint32_t* s = &sums[size_t(x) * 4];
      out[x] = (s[0] + n / 2) / n | ((s[1] + n / 2) / n) << 8 | ((s[2] + n / 2) / n) << 16 | ((s[3] + n / 2) / n) << 24;
    }
  }
}

namespace {

// Targets larger than this are drawn tile by tile through one tile-sized buffer: the
// offscreen buffers cost time in proportion to their size, every render.
constexpr int kTileSide = 1024;
constexpr double kNear = 1, kFar = 3e8;

// An offscreen OpenGL context that draws into a tile buffer of its own, 0xAARRGGBB
// words like the bitmaps; one per rasterisation, destroyed with it.
class TOffscreenGL {
public:
  TOffscreenGL() = default;
  TOffscreenGL(const TOffscreenGL&) = delete;
  TOffscreenGL& operator=(const TOffscreenGL&) = delete;
  ~TOffscreenGL() {
    if (ctx_) OSMesaDestroyContext(ctx_);
  }

  enum Kind {
    Flat,         // no depth buffer; the buffer's first row is OpenGL's bottom row (Y = -1 on top)
    Perspective,  // a depth buffer; the first row is the top of the picture (Y points up)
    Accumulated,  // the same with an accumulation buffer
  };

  // The tile size a target of this size is drawn with: as few tiles as the largest side
  // allows, all of about the same size, so that no tile is mostly outside the target.
  static std::pair<int, int> TileSize(int targetWidth, int targetHeight) {
    auto side = [](int v) {
      const int tiles = (v + kTileSide - 1) / kTileSide;
      return tiles > 1 ? (v + tiles - 1) / tiles : v;
    };
    return {side(targetWidth), side(targetHeight)};
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Draws with this context again (another context may have been current since).
  bool MakeCurrent() {
    if (!ctx_ || !OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width_, height_)) return false;
    OSMesaPixelStore(OSMESA_Y_UP, topDown_ ? 0 : 1);
    glViewport(0, 0, width_, height_);
    return true;
  }

  Status Create(int targetWidth, int targetHeight, Kind kind) {
    std::tie(width_, height_) = TileSize(targetWidth, targetHeight);
    topDown_ = kind != Flat;
    const bool accumulation = kind == Accumulated;
    const int attribs[] = {OSMESA_FORMAT,     OSMESA_BGRA, OSMESA_DEPTH_BITS, kind == Flat ? 0 : 32,
                           OSMESA_STENCIL_BITS, 0,         OSMESA_ACCUM_BITS, accumulation ? 16 : 0,
                           OSMESA_PROFILE,    OSMESA_COMPAT_PROFILE, 0};
    ctx_ = OSMesaCreateContextAttribs(attribs, nullptr);
    if (!ctx_) return fail("OpenGL: no offscreen context could be made");
    buffer_.assign(size_t(width_) * height_, 0);
    if (!OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width_, height_))
      return fail("OpenGL: the offscreen context cannot draw into a " + std::to_string(width_) + "x" +
                  std::to_string(height_) + " buffer");
    OSMesaPixelStore(OSMESA_Y_UP, topDown_ ? 0 : 1);
    if (accumulation) {
      GLint bits = 0;
      glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
      if (bits <= 0) return fail("OpenGL: the offscreen context has no accumulation buffer");
    }
    glViewport(0, 0, width_, height_);
    return Ok{};
  }

  int TileCount(const TBitmap32& target) const {
    return ((target.Width() + width_ - 1) / width_) * ((target.Height() + height_ - 1) / height_);
  }

  // Renders the target one tile at a time. `vp` is the viewport the whole target would
  // have (OpenGL window coordinates of the target); draw(m) renders the tile and must
  // start its projection with the matrix m, which maps that viewport onto the tile.
  // With a coverage map, cover(m) then draws the tile's footprint (white where a cell
  // lies, black elsewhere) and the map gets 255 wherever it is not black.
  template <class Draw, class Cover>
  void ForEachTile(TBitmap32& target, const TViewport& vp, Draw&& draw, TByteMap* coverage, Cover&& cover) {
    const int W = target.Width(), H = target.Height();
    if (coverage) coverage->SetSize(W, H, 0);
    for (int ty = 0; ty < H; ty += height_) {
      for (int tx = 0; tx < W; tx += width_) {
        const int originY = topDown_ ? H - ty - height_ : ty;
        GLdouble m[16] = {};
        m[0] = double(vp.Width) / width_;
        m[5] = double(vp.Height) / height_;
        m[10] = m[15] = 1;
        m[12] = (2.0 * (vp.X - tx) + vp.Width) / width_ - 1;
        m[13] = (2.0 * (vp.Y - originY) + vp.Height) / height_ - 1;
        draw(m);
        glFinish();
        const int rows = std::min(height_, H - ty), cols = std::min(width_, W - tx);
        for (int j = 0; j < rows; ++j)
          std::memcpy(target.ScanLine(ty + j) + tx, buffer_.data() + size_t(j) * width_, size_t(cols) * 4);
        if (!coverage) continue;
        cover(m);
        glFinish();
        for (int j = 0; j < rows; ++j) {
          const uint32_t* src = buffer_.data() + size_t(j) * width_;
          uint8_t* dst = coverage->ScanLine(ty + j) + tx;
          for (int i = 0; i < cols; ++i) dst[i] = src[i] ? 255 : 0;
        }
      }
    }
  }
  template <class Draw>
  void ForEachTile(TBitmap32& target, const TViewport& vp, Draw&& draw) {
    ForEachTile(target, vp, draw, nullptr, [](const double*) {});
  }

private:
  OSMesaContext ctx_ = nullptr;
  std::vector<uint32_t> buffer_;
  int width_ = 0, height_ = 0;
  bool topDown_ = false;
};

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// A texture larger than the renderer takes, shrunk once with an averaging filter to the
// size the mipmap builder would rescale it to, and loaded strip by strip: no copy of the
// whole texture is made besides the renderer's own.
bool UploadShrunk(GLuint name, const TBitmap32& t, int maxSide) {
  const auto size = TextureUploadSize(t.Width(), t.Height(), maxSide);
  const int w = size.first, h = size.second;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() != GL_NO_ERROR) return false;
  const int stripRows = std::clamp((1 << 22) / (w * 4), 1, h);
  std::vector<TColor32> strip(size_t(w) * stripRows);
  const int64_t perRow = int64_t(t.Width()) * t.Height() / h;  // source pixels behind a row
  for (int y0 = 0; y0 < h; y0 += stripRows) {
    const int rows = std::min(stripRows, h - y0);
    ParallelRows(rows, int(std::min<int64_t>(perRow, 1 << 30)), [&](int a, int b) {
      ShrinkTextureRows(t, w, h, y0 + a, y0 + b, strip.data() + size_t(a) * w);
    });
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y0, w, rows, GL_BGRA, GL_UNSIGNED_BYTE, strip.data());
  }
  return glGetError() == GL_NO_ERROR;
}

// The bound texture's levels below the first, each the average of the one above, for
// trilinear filtering of a texture that was loaded as one level.
bool BuildSmallerLevels() {
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  if (w <= 0 || h <= 0) return false;
  TBitmap32 level;
  level.SetSizeUninitialized(w, h);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, level.Bits());
  for (int k = 1; w > 1 || h > 1; ++k) {
    w = std::max(1, w / 2), h = std::max(1, h / 2);
    TBitmap32 smaller;
    smaller.SetSizeUninitialized(w, h);
    ShrinkTextureRows(level, w, h, 0, h, smaller.Bits());
    glTexImage2D(GL_TEXTURE_2D, k, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, smaller.Bits());
    level = std::move(smaller);
  }
  return glGetError() == GL_NO_ERROR;
}

// Loads the texture, bound, with the chosen filter; returns 0 when it cannot. Sizes that
// are not powers of two go through the mipmap builder, which rescales them; only "Smooth"
// reads the smaller levels, so otherwise a power-of-two texture needs only its own level.
GLuint UploadTexture(const TBitmap32& texture, TColor32 c, TTextureSampling sampling) {
  const TBitmap32 single(1, 1, c | 0xFF000000u);
  const TBitmap32& t = texture.Empty() ? single : texture;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const GLint filter = sampling == TTextureSampling::Nearest ? GL_NEAREST : GL_LINEAR;
  const bool smooth = sampling == TTextureSampling::Smooth;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, smooth ? GL_LINEAR_MIPMAP_LINEAR : filter);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  if (t.Width() > maxSide || t.Height() > maxSide)
    return UploadShrunk(name, t, maxSide) && (!smooth || BuildSmallerLevels()) ? name : 0;
  if (!smooth && PowerOfTwo(t.Width()) && PowerOfTwo(t.Height()) && t.Width() <= maxSide && t.Height() <= maxSide) {
    // The bitmap's 0xAARRGGBB words are the bytes B, G, R, A.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, t.Width(), t.Height(), 0, GL_BGRA, GL_UNSIGNED_BYTE, t.Bits());
    if (glGetError() == GL_NO_ERROR) return name;
  }
  std::vector<uint8_t> rgba(size_t(t.Width()) * t.Height() * 4);
  const TColor32* p = t.Bits();
  for (size_t i = 0, n = size_t(t.Width()) * t.Height(); i < n; ++i) {
    rgba[4 * i] = RedComponent(p[i]);
    rgba[4 * i + 1] = GreenComponent(p[i]);
    rgba[4 * i + 2] = BlueComponent(p[i]);
    rgba[4 * i + 3] = AlphaComponent(p[i]);
  }
  if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, t.Width(), t.Height(), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()) != 0) {
    glDeleteTextures(1, &name);
    return 0;
  }
  return name;
}

void SetClearColor(TColor32 c, float alpha) {
  glClearColor(RedComponent(c) / 255.0f, GreenComponent(c) / 255.0f, BlueComponent(c) / 255.0f, alpha);
}

// The compiled cells drawn white on black without texture, through the projection
// already set; texturing and the clear colour c come back afterwards.
void DrawFootprint(GLuint list, TColor32 c, bool depth) {
  glDisable(GL_TEXTURE_2D);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
  glColor3f(1, 1, 1);
  glCallList(list);
  glEnable(GL_TEXTURE_2D);
  SetClearColor(c, 1.0f);
}

bool CellInside(const TMapGrid& g, const TMapCell& cell, bool quad) {
  const int64_t n = int64_t(g.Nodes.size());
  auto ok = [n](int32_t i) { return i >= 0 && i < n; };
  return ok(cell.TopLeft) && ok(cell.TopRight) && ok(cell.BottomRight) && (!quad || ok(cell.BottomLeft));
}

// The cells as one display list: quads TopLeft, TopRight, BottomRight, BottomLeft at
// (X, Y) for flat objects, triangles TopLeft, TopRight, BottomRight at (X, Y, Z) for
// scene objects. Without a placement no texture coordinates are given; with a key only
// cells of that key are drawn. The progress steps once per cell drawn.
GLuint CompileCells(const TMapGrid& g, bool quads, const TTexturePlacement* place, const int32_t* key,
                    TProgress* progress, bool reversed = false, bool projective = false) {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glBegin(quads ? GL_QUADS : GL_TRIANGLES);
  auto vertex = [&](int32_t i) {
    const TMapNode& n = g.Nodes[size_t(i)];
    if (place) {
      const auto [s, t] = NodeTexCoord(*place, n.U, n.V);
      glTexCoord2f(s, t);
    }
    if (quads)
      glVertex2f(n.X, n.Y);
    else
      glVertex3f(n.X, n.Y, n.Z);
  };
  for (size_t k = 0; k < g.Cells.size(); ++k) {
    const TMapCell& cell = g.Cells[reversed ? g.Cells.size() - 1 - k : k];
    if (key && cell.Key != *key) continue;
    if (!CellInside(g, cell, quads)) continue;
    if (projective && place && quads) {
      if (const auto q = ProjectiveCellTexCoords(g, cell, *place)) {
        const int32_t corners[4] = {cell.TopLeft, cell.TopRight, cell.BottomRight, cell.BottomLeft};
        for (size_t k = 0; k < 4; ++k) {
          const TMapNode& n = g.Nodes[size_t(corners[k])];
          glTexCoord4d((*q)[k].S, (*q)[k].T, (*q)[k].R, (*q)[k].Q);
          glVertex2f(n.X, n.Y);
        }
        if (progress) progress->Step();
        continue;
      }
    }
    vertex(cell.TopLeft);
    vertex(cell.TopRight);
    vertex(cell.BottomRight);
    if (quads) vertex(cell.BottomLeft);
    if (progress) progress->Step();
  }
  glEnd();
  glEndList();
  return list;
}

void BeginProgress(TProgress* progress, const std::string& message, size_t count) {
  if (progress) progress->Begin(message, int(std::min<size_t>(count, 1u << 30)) - 1);
}

// The accumulation-buffer camera: a frustum moved by a fraction of a pixel of the
// viewport (vw x vh) and an eye offset, after the tile matrix.
void AccFrustum(const double* tile, double left, double right, double bottom, double top, double zNear,
                double zFar, double pixdx, double pixdy, double eyedx, double eyedy, double focus, int vw, int vh) {
  const double dx = -(pixdx * (right - left) / vw + eyedx * zNear / focus);
  const double dy = -(pixdy * (top - bottom) / vh + eyedy * zNear / focus);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(tile);
  glFrustum(left + dx, right + dx, bottom + dy, top + dy, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(float(-eyedx), float(-eyedy), 0.0f);
}

void AccPerspective(const double* tile, double fovy, double aspect, double zNear, double zFar, double pixdx,
                    double pixdy, double eyedx, double eyedy, double focus, int vw, int vh) {
  const double h = zNear * std::tan(fovy * std::numbers::pi / 180.0 / 2.0);
  AccFrustum(tile, -h * aspect, h * aspect, -h, h, zNear, zFar, pixdx, pixdy, eyedx, eyedy, focus, vw, vh);
}

double Degrees(float radians) { return double(radians) * 180.0 / std::numbers::pi; }

// The texture and the compiled cells of one textured render, deleted (before the
// context that holds them) when the render ends.
struct TTexturedCells {
  GLuint texture = 0, list = 0;
  TTexturedCells() = default;
  TTexturedCells(const TTexturedCells&) = delete;
  TTexturedCells& operator=(const TTexturedCells&) = delete;
  ~TTexturedCells() {
    if (list) glDeleteLists(list, 1);
    if (texture) glDeleteTextures(1, &texture);
  }

  // Texturing on, the clear colour c, the texture loaded and the cells compiled (quads
  // for flat objects, keyed triangles for scene objects), stepping the progress per cell.
  Status Prepare(const TMapGrid& grid, const TBitmap32& image, const TTexturePlacement& place, TColor32 c,
                 const TRenderOptions& options, bool quads, const int32_t* key, bool reversed, TProgress* progress) {
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    SetClearColor(c, 1.0f);
    texture = UploadTexture(image, c, options.Sampling);
    if (!texture) return fail("OpenGL: the texture could not be loaded");
    BeginProgress(progress, "Render object... ", grid.Cells.size());
    list = CompileCells(grid, quads, &place, key, progress, reversed, quads && options.ProjectiveCells);
    return Ok{};
  }
};

}  // namespace

Status RenderFlat(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target, const TTexturePlacement& place,
                  TColor32 c, const TRenderOptions& options, TProgress* progress, TByteMap* coverage) {
  if (target.Empty()) return Ok{};
  TOffscreenGL gl;
  if (Status s = gl.Create(target.Width(), target.Height(), TOffscreenGL::Flat); !s) return s;
  // Every vertex lies at depth 0, so a depth test "less" would keep the first cell
  // drawn wherever cells overlap. Drawing the cells last to first without a depth
  // buffer leaves the same cell on top, and saves the depth buffer's traffic.
  TTexturedCells cells;
  if (Status s = cells.Prepare(grid, texture, place, c, options, true, nullptr, true, progress); !s) return s;
  gl.ForEachTile(target, {0, 0, target.Width(), target.Height()}, [&](const double* m) {
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(cells.list);
  }, coverage, [&](const double*) { DrawFootprint(cells.list, c, false); });
  if (progress) progress->End();
  return Ok{};
}

// The kept context and texture, and what the texture was loaded from.
struct TFlatRenderer::TState {
  TOffscreenGL gl;
  GLuint texture = 0;
  uint64_t key = 0;
  TTextureSampling sampling = TTextureSampling::Linear;
  TColor32 plain = 0;  // the colour an empty texture was loaded as
};

TFlatRenderer::TFlatRenderer() = default;
TFlatRenderer::~TFlatRenderer() = default;
TFlatRenderer::TFlatRenderer(const TFlatRenderer&) {}
TFlatRenderer& TFlatRenderer::operator=(const TFlatRenderer& other) {
  if (this != &other) Release();
  return *this;
}

void TFlatRenderer::Release() { state_.reset(); }  // the context takes its texture with it

Status TFlatRenderer::Render(const TMapGrid& grid, const TBitmap32& texture, uint64_t textureKey, TBitmap32& target,
                             const TTexturePlacement& place, TColor32 c, const TRenderOptions& options) {
  if (target.Empty()) return Ok{};
  const auto [tileW, tileH] = TOffscreenGL::TileSize(target.Width(), target.Height());
  if (state_ && (state_->gl.Width() != tileW || state_->gl.Height() != tileH || !state_->gl.MakeCurrent()))
    state_.reset();
  if (!state_) {
    auto fresh = std::make_unique<TState>();
    if (Status s = fresh->gl.Create(target.Width(), target.Height(), TOffscreenGL::Flat); !s) return s;
    state_ = std::move(fresh);
  }
  TState& st = *state_;
  glEnable(GL_TEXTURE_2D);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  SetClearColor(c, 1.0f);
  const TColor32 plain = texture.Empty() ? c | 0xFF000000u : 0;
  if (!st.texture || st.key != textureKey || st.sampling != options.Sampling || st.plain != plain) {
    if (st.texture) glDeleteTextures(1, &st.texture);
    st.texture = UploadTexture(texture, c, options.Sampling);
    st.key = textureKey;
    st.sampling = options.Sampling;
    st.plain = plain;
    if (!st.texture) return fail("OpenGL: the texture could not be loaded");
  }
  glBindTexture(GL_TEXTURE_2D, st.texture);
  const GLuint list = CompileCells(grid, true, &place, nullptr, nullptr, true, options.ProjectiveCells);
  st.gl.ForEachTile(target, {0, 0, target.Width(), target.Height()}, [&](const double* m) {
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(list);
  });
  glDeleteLists(list, 1);
  return Ok{};
}

Status RenderPerspective(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target,
                         const TTexturePlacement& place, TColor32 c, float fieldOfView, const TRenderOptions& options,
                         TProgress* progress, TByteMap* coverage) {
  if (target.Empty()) return Ok{};
  TOffscreenGL gl;
  if (Status s = gl.Create(target.Width(), target.Height(), TOffscreenGL::Perspective); !s) return s;
  const TViewport vp = PerspectiveViewport(target.Width(), target.Height());
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glClearDepth(1.0);
  glShadeModel(GL_SMOOTH);
  TTexturedCells cells;
  if (Status s = cells.Prepare(grid, texture, place, c, options, false, nullptr, false, progress); !s) return s;
  gl.ForEachTile(target, vp, [&](const double* m) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(m);
    gluPerspective(Degrees(fieldOfView), 1.0, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(cells.list);
  }, coverage, [&](const double*) { DrawFootprint(cells.list, c, true); });
  if (progress) progress->End();
  return Ok{};
}

Status RenderPerspectiveAA(const TMapGrid& grid, const TBitmap32& texture, TBitmap32& target,
                           const TTexturePlacement& place, TColor32 c, float fieldOfView, int32_t materialKey,
                           const TRenderOptions& options, TProgress* progress, TByteMap* coverage) {
  const std::span<const TJitterPoint> jitter = JitterTable(options.Passes);
  if (target.Empty() || jitter.empty()) return Ok{};
  const int p = int(jitter.size());
  TOffscreenGL gl;
  if (Status s = gl.Create(target.Width(), target.Height(), TOffscreenGL::Accumulated); !s) return s;
  const TViewport vp = PerspectiveViewport(target.Width(), target.Height());
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glShadeModel(GL_SMOOTH);
  glClearAccum(0, 0, 0, 0);
  TTexturedCells cells;
  if (Status s = cells.Prepare(grid, texture, place, c, options, false, &materialKey, false, progress); !s) return s;
  if (progress) progress->Begin("Antialiasing", p * gl.TileCount(target));
  gl.ForEachTile(target, vp, [&](const double* m) {
    glClear(GL_ACCUM_BUFFER_BIT);
    for (const TJitterPoint& j : jitter) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      AccPerspective(m, Degrees(fieldOfView), double(vp.Width) / vp.Height, kNear, kFar, j.dx, j.dy, 0, 0, 1,
                     vp.Width, vp.Height);
      if (progress) progress->Step();
      glPushMatrix();
      glCallList(cells.list);
      glPopMatrix();
      glAccum(GL_ACCUM, 1.0f / float(p));
    }
    glAccum(GL_RETURN, 1.0f);
  }, coverage, [&](const double* m) {
    // The footprint without jitter.
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(m);
    gluPerspective(Degrees(fieldOfView), 1.0, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrawFootprint(cells.list, c, true);
  });
  if (progress) progress->End();
  return Ok{};
}

Status RenderMaskAA(std::span<const TSceneObject> objects, size_t index, float fieldOfView, TByteMap& mask,
                    const TRenderOptions& options, TProgress* progress) {
  const std::span<const TJitterPoint> jitter = JitterTable(MaskPassCount(options.Passes));
  if (mask.Empty() || jitter.empty() || index >= objects.size()) return Ok{};
  const int p = int(jitter.size());
  TBitmap32 picture(mask.Width(), mask.Height());
  TOffscreenGL gl;
  if (Status s = gl.Create(picture.Width(), picture.Height(), TOffscreenGL::Accumulated); !s) return s;
  const TViewport vp = PerspectiveViewport(picture.Width(), picture.Height());
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_DEPTH_TEST);
  glShadeModel(GL_FLAT);
  glClearColor(0, 0, 0, 0);
  glClearAccum(0, 0, 0, 0);
  std::vector<GLuint> lists;
  const TMapGrid none;
  for (const TSceneObject& o : objects)
    lists.push_back(CompileCells(o.Grid ? *o.Grid : none, false, nullptr, &o.MaterialKey, nullptr));
  gl.ForEachTile(picture, vp, [&](const double* m) {
    glClear(GL_ACCUM_BUFFER_BIT);
    for (int i = 0; i < p; ++i) {
      BeginProgress(progress, "Pass " + std::to_string(i + 1), objects.size());
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      AccPerspective(m, Degrees(fieldOfView), double(vp.Width) / vp.Height, kNear, kFar, jitter[size_t(i)].dx,
                     jitter[size_t(i)].dy, 0, 0, 1, vp.Width, vp.Height);
      glPushMatrix();
      for (size_t j = 0; j < objects.size(); ++j) {
        const float v = j == index ? 1.0f : 0.0f;
        glColor3f(v, v, v);
        glCallList(lists[j]);
        if (progress) progress->Step();
      }
      glPopMatrix();
      glAccum(GL_ACCUM, 1.0f / float(p));
    }
    glAccum(GL_RETURN, 1.0f);
  });
  for (GLuint l : lists) glDeleteLists(l, 1);
  for (int y = 0; y < mask.Height(); ++y) {
    const TColor32* src = picture.ScanLine(y);
    uint8_t* dst = mask.ScanLine(y);
    for (int x = 0; x < mask.Width(); ++x) dst[x] = Intensity(src[x]);
  }
  if (progress) progress->End();
  return Ok{};
}

double SceneDegrees(float fieldOfView) { return double(fieldOfView) * 180.0 / 3.14; }

void TIdentificationMesh::Add(const TMapNode& a, const TMapNode& b, const TMapNode& c, uint32_t color) {
  for (const TMapNode* n : {&a, &b, &c}) Positions.insert(Positions.end(), {n->X, n->Y, n->Z});
  Colors.push_back(color);
}

Status RenderIdentification(const TIdentificationMesh& mesh, float fieldOfView, TBitmap32& target,
                            TProgress* progress) {
  if (target.Empty()) return Ok{};
  TOffscreenGL gl;
  if (Status s = gl.Create(target.Width(), target.Height(), TOffscreenGL::Perspective); !s) return s;
  const TViewport vp = PerspectiveViewport(target.Width(), target.Height());
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glClearDepth(1.0);
  glDisable(GL_DITHER);  // the colours must come back exactly
  glShadeModel(GL_FLAT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glClearColor(0, 0, 0, 0);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  const float* p = mesh.Positions.data();
  for (uint32_t c : mesh.Colors) {
    glColor4ub(RedComponent(c), GreenComponent(c), BlueComponent(c), 0);
    glVertex3fv(p);
    glVertex3fv(p + 3);
    glVertex3fv(p + 6);
    p += 9;
  }
  glEnd();
  glEndList();
  if (progress) progress->Begin("Identify parts", gl.TileCount(target));
  gl.ForEachTile(target, vp, [&](const double* m) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(m);
    gluPerspective(SceneDegrees(fieldOfView), 1.0, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glCallList(list);
    if (progress) progress->Step();
  });
  glDeleteLists(list, 1);
  if (progress) progress->End();
  return Ok{};
}

Status RenderShaded(std::span<const TShadedMesh> meshes, float fieldOfView, TColor32 background, TBitmap32& target) {
  if (target.Empty()) return Ok{};
  TOffscreenGL gl;
  if (Status s = gl.Create(target.Width(), target.Height(), TOffscreenGL::Accumulated); !s) return s;
  const TViewport vp = PerspectiveViewport(target.Width(), target.Height());
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  SetClearColor(background, 1.0f);
  glClearAccum(0, 0, 0, 0);
  // The light sits in camera space (the model-view is the identity here).
  const GLfloat light[] = {-0.45f, 0.55f, 0.70f, 0.0f}, diffuse[] = {0.78f, 0.78f, 0.78f, 1.0f},
                ambient[] = {0.30f, 0.30f, 0.30f, 1.0f}, none[] = {0, 0, 0, 1};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, none);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);  // models do not agree on their windings
  glEnable(GL_NORMALIZE);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);

  std::vector<GLuint> textures(meshes.size(), 0);  // one per mesh, 0 for none
  for (size_t k = 0; k < meshes.size(); ++k) {
    const TShadedMesh& m = meshes[k];
    if (m.Texture && !m.Texture->Empty() && m.TexCoords.size() * 3 == m.Positions.size() * 2)
      textures[k] = UploadTexture(*m.Texture, m.Color, TTextureSampling::Linear);
  }
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  for (size_t k = 0; k < meshes.size(); ++k) {
    const TShadedMesh& m = meshes[k];
    const GLuint name = textures[k];
    if (name) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, name);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    glColor4ub(RedComponent(m.Color), GreenComponent(m.Color), BlueComponent(m.Color), 255);
    const size_t vertices = m.Positions.size() / 3;
    const bool normals = m.Normals.size() == m.Positions.size();
    glBegin(GL_TRIANGLES);
    for (uint32_t i : m.Indices) {
      if (i >= vertices) continue;
      if (normals) glNormal3fv(&m.Normals[3 * size_t(i)]);
      if (name) glTexCoord2fv(&m.TexCoords[2 * size_t(i)]);
      glVertex3fv(&m.Positions[3 * size_t(i)]);
    }
    glEnd();
  }
  glEndList();

  // The eight-pass table lies in 0..1; moved by half a pixel it is centred on the pixel,
  // as the identification render samples it.
  const std::span<const TJitterPoint> jitter = JitterTable(8);
  gl.ForEachTile(target, vp, [&](const double* m) {
    glClear(GL_ACCUM_BUFFER_BIT);
    for (const TJitterPoint& j : jitter) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      AccPerspective(m, SceneDegrees(fieldOfView), 1.0, kNear, kFar, j.dx - 0.5, j.dy - 0.5, 0, 0, 1, vp.Width,
                     vp.Height);
      glCallList(list);
      glAccum(GL_ACCUM, 1.0f / float(jitter.size()));
    }
    glAccum(GL_RETURN, 1.0f);
  });
  glDeleteLists(list, 1);
  for (GLuint name : textures)
    if (name) glDeleteTextures(1, &name);
  // The accumulation buffer returns alpha too; the picture is opaque.
  for (int y = 0; y < target.Height(); ++y) {
    TColor32* row = target.ScanLine(y);
    for (int x = 0; x < target.Width(); ++x) row[x] |= 0xFF000000u;
  }
  return Ok{};
}

}  // namespace kelvane
