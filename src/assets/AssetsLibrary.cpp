// The pictures themselves are compiled in by qt_add_resources; this file only
// gives the static library a translation unit of its own.
namespace bailan::assets {
int AssetsLibraryAnchor() { return 0; }
}  // namespace bailan::assets
