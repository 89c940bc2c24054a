// The patch palette: an RGBA colour value (osg::Color4), a growable list of colours
// (UlCColorTable) and the process-wide table of 42 fixed colours the shaded pass draws from.
#pragma once

#include <type_traits>
#include <vector>

namespace osg {

// An RGBA colour of four channels in the order red, green, blue, alpha, and nothing else:
// an array of them, or the address of one, is the channel bytes glColor4ubv takes.
template <typename T>
class Color4 {
 public:
  Color4() : m_Channels{T(0), T(0), T(0), T(0)} {}  // all four channels 0
  // Stores the channels in the order given.
  Color4(T red, T green, T blue, T alpha) : m_Channels{red, green, blue, alpha} {}
  // Copies the four channels.
  Color4(const Color4& source)
      : m_Channels{source.m_Channels[0], source.m_Channels[1], source.m_Channels[2],
                   source.m_Channels[3]} {}
  ~Color4() = default;  // nothing to release

  // Copies the four channels; assigning a colour to itself leaves it as it is.
  Color4& operator=(const Color4& source) {
    if (&source != this) {
      for (unsigned int k = 0; k < 4; ++k) m_Channels[k] = source.m_Channels[k];
    }
    return *this;
  }

  // Channel uiIndex: 0 red, 1 green, 2 blue, 3 alpha. Not range-checked: callers pass 0 .. 3.
  T& operator[](unsigned int uiIndex) { return m_Channels[uiIndex]; }
  const T& operator[](unsigned int uiIndex) const { return m_Channels[uiIndex]; }

  // The four channels, red first, for glColor4ubv and the like.
  const T* ptr() const { return m_Channels; }

  // Same four channels.
  friend bool operator==(const Color4& a, const Color4& b) {
    return a.m_Channels[0] == b.m_Channels[0] && a.m_Channels[1] == b.m_Channels[1] &&
           a.m_Channels[2] == b.m_Channels[2] && a.m_Channels[3] == b.m_Channels[3];
  }

 private:
  T m_Channels[4];  // red, green, blue, alpha
};

static_assert(sizeof(Color4<unsigned char>) == 4, "a colour is exactly its four channel bytes");
static_assert(std::is_standard_layout_v<Color4<unsigned char>>, "a colour is plain channel data");

}  // namespace osg

// An ordered list of colours; index 0 is the first one added.
template <typename T>
class UlCColorTable {
 public:
  UlCColorTable() = default;  // an empty list
  virtual ~UlCColorTable() = default;  // drops the colours and their storage

  // Appends the colour (red, green, blue, alpha).
  void add_Color(T red, T green, T blue, T alpha) {
    m_Colors.push_back(osg::Color4<T>(red, green, blue, alpha));
  }
  // Appends a copy of `color`.
  void add_Color(osg::Color4<T> color) { m_Colors.push_back(color); }
  // Removes every colour.
  void Clear() { m_Colors.clear(); }

  std::vector<osg::Color4<T>> m_Colors;  // the colours in insertion order
};

// The fixed palette of 42 colours, one process-wide instance created on first use and kept
// until the process ends. Patch k is drawn in get_Color(k).
class UlCColorTable_Static : public UlCColorTable<unsigned char> {
 public:
  UlCColorTable_Static();  // the 42 palette colours, in order
  ~UlCColorTable_Static() override = default;  // as the base: drops the colours

  // The singleton pointer, creating the table first when there is none yet.
  static UlCColorTable_Static*& Instance();
  // The singleton, by the same creation rule.
  static UlCColorTable_Static* InstancePtr();

  // A copy of colour `index` modulo the number of colours (unsigned remainder); a table
  // emptied by Clear() gives (0, 0, 0, 0).
  osg::Color4<unsigned char> get_Color(unsigned int index);

 private:
  static UlCColorTable_Static* mp_Instance;  // the singleton; never deleted
};
