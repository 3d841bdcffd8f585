#pragma once
// CBox: the common base of the graph boxes placed on a document's page: the wave, spectrum,
// 3D spectrum and information boxes.
//
// A box owns its outer rectangle and its plot rectangle (the inner one that holds the
// curve; the margin between them holds the labels), seven colours, a horizontal and a
// vertical axis, a mark (an X value with the Y value there, shown as an XOR line with an
// optional cross-hair), a grid and a buffer of polyline points. It refers to the document's
// wave and analysis settings without owning them. All coordinates are logical: 0.1 mm with
// y upward, so a rectangle's `top` is its visually lower edge (see geometry.h).
//
// Drawing is incremental: the valid flags say which layers are on the surface, and Draw
// repaints only what became invalid. Whoever changes what a box shows writes 0 to the valid
// flags and has the surface repainted.
#include <cstdint>
#include <string>
#include <vector>

#include "core/graph/color_set.h"
#include "core/graph/cord_conv.h"
#include "core/graph/device_context.h"
#include "core/graph/geometry.h"

class CArchive;
class CWave;
struct AnalysisContext;
struct StringSize;

// Box kinds: the slot of a box in its document, the number of its colour set.
enum BoxKind : int {
  kBoxWaveLeft = 0,
  kBoxWaveRight = 1,
  kBoxWaveMono = 2,
  kBoxFftLeft = 3,
  kBoxFftRight = 4,
  kBoxFftMono = 5,
  kBoxFft3dLeft = 6,
  kBoxFft3dRight = 7,
  kBoxFft3dMono = 8,
  kBoxInfo = 12,
  kBoxSlotCount = 13,
};

// Scroll bar values of an axis.
struct ScrollInfo {
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t page = 100;
  int32_t position = 0;
  friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

class CBox {
 public:
  // Rectangles of a stored box lie within this many logical units (1 km) of the page origin.
  static constexpr int32_t kMaxStoredCoordinate = 10000000;

  // Valid flags.
  static constexpr uint16_t kValidLabels = 0x001;
  static constexpr uint16_t kValidFrame = 0x002;
  static constexpr uint16_t kValidData = 0x004;
  static constexpr uint16_t kMarkLineShown = 0x100;  // the XOR mark line is on the surface

  // Polyline styles of DrawPolyline.
  static constexpr int kPolylineSelection = 0;  // graph colour, selection in the area colour
  static constexpr int kPolylineErase = 1;      // plot background colour
  static constexpr int kPolylineArea = 2;       // all in the area colour
  static constexpr int kPolylineGraph = 3;      // all in the graph colour

  // The colour of the border of the current box.
  static constexpr uint32_t kActiveBorderColor = 0x404040;

  CBox();

  // --- virtual operations, in their fixed order ---
  virtual const char* ClassName() const = 0;
  virtual ~CBox();
  // Channel, rectangles, colours, both axes, the mark and the switches, in that order.
  virtual void Serialize(CArchive& ar);
  virtual void GetPlotRect(Rect& out) const;
  // 1 when y is at least as close to the plot's lower edge as to its upper edge.
  virtual int IsNearTop(int x, int y) const;
  // The mark line (points 0, 1) and the cross-hair (points 2, 3); 0 without a mark.
  virtual int GetCursorLines(Point points[4]) const;
  virtual void Recalc(int ignored, int restart);
  virtual void Redraw(DeviceContext& dc, const Rect* clip);
  virtual uint32_t DrawNewSamples(DeviceContext& dc, uint32_t fromFrame, uint32_t toFrame);
  virtual int CanPeakSearch() const;
  virtual void SetLevelMode(int mode);
  virtual void ApplyLevelReference();
  virtual int GetKind() const = 0;
  virtual double GetLevelAtMark(int raw);
  // The seed of the X tick walk and the Y coordinates of the plot's upper and lower edges.
  virtual void GetXTickStart(double& value, int& yUpper, int& yLower);
  virtual void ToggleLogLevel();
  virtual void ToggleLogFrequency();
  virtual int CanLogLevel() const;
  virtual int CanLogFrequency() const;
  virtual int IsLogLevel() const;
  virtual int IsLogFrequency() const;
  // Adjusts a proposed value range to what the box can show; 0 when it refuses.
  virtual int LimitXRange(double& start, double& end) = 0;
  virtual int LimitYRange(double& start, double& end) = 0;
  virtual void UpdateData(int ignored, int a, int b);
  // Whether the box analyses blocks itself (the spectrum boxes) instead of following the
  // run's position. Such a box touches nothing but itself, the wave and the settings record
  // while it analyses, so a whole-range analysis may give it a thread of its own.
  virtual bool AnalysesBlocks() const { return false; }
  // Analyses the block that starts at a frame, exactly as UpdateData(ignored, a, b) does
  // at the run's current position.
  virtual void AnalyseBlock(uint32_t startFrame, int a, int b);
  virtual void Draw(DeviceContext& dc, const Rect* clip);
  virtual void DrawFrame(DeviceContext& dc, const Rect* clip);
  virtual void DrawScale(DeviceContext& dc, const Rect* clip);
  virtual void DrawData(DeviceContext& dc, const Rect* clip) = 0;
  virtual void EraseData(DeviceContext& dc, const Rect* clip) = 0;
  // Draws the XOR mark line (erase = 0) or removes it (erase = 1); 1 when it did.
  virtual int DrawCursor(DeviceContext& dc, const Rect* clip, int erase);
  virtual double PixelToMarkValue(int xLeft, int xRight, int x, int peakSide);
  virtual void DrawPolyline(DeviceContext& dc, int row, const Rect* clip, int style);
  virtual void AutoRangeY() = 0;
  virtual void FitXToWave() = 0;
  virtual void FullRangeY() = 0;
  virtual void FullRangeX() = 0;
  // Binds the box to a wave and its settings; channel 0 picks 3 for a one-channel wave and
  // 1 otherwise. Without a wave the current source stays.
  virtual void SetSource(CWave* wave, AnalysisContext* settings, int channel);
  // The box rectangle and the plot rectangle (a copy of the box rectangle when none).
  virtual void SetRect(const Rect& box, const Rect* plot);
  virtual void SetXRange(double start, double end);
  virtual void SetYRange(double start, double end);
  virtual void SetDefaultRanges() = 0;
  virtual Point* GetPoints(int row);
  virtual void GetXScrollInfo(ScrollInfo& out) = 0;
  virtual void GetYScrollInfo(ScrollInfo& out) = 0;
  // Shift and zoom return non-zero when they changed the axis.
  virtual int ShiftX(int forward) = 0;
  virtual int ShiftY(int forward) = 0;
  virtual int ZoomX(int in) = 0;
  virtual int ZoomY(int in) = 0;
  // 1 for the graph boxes, 0 for the information box.
  virtual int IsGraphBox() const;
  virtual int CanAutoRangeY() const;
  // Whether the grid and cross-hair commands apply.
  virtual int HasScale() const;
  virtual double GetValueAtMark(double x);

  // --- non-virtual operations ---
  void SetColors(const ColorSet& colors) { colors_ = colors; }
  const ColorSet& Colors() const { return colors_; }
  // Makes room for rows x columns points (growing only); points in use = columns.
  // 0 when the memory is refused (the box then has no buffer).
  int AllocPoints(int rows, int columns);
  void UnlockPoints() { pointsLocked_ = false; }
  int PointRows() const { return pointRows_; }
  int PointColumns() const { return pointColumns_; }
  int PointsInUse() const { return pointsInUse_; }
  void SetPointsInUse(int count) { pointsInUse_ = count; }
  int IsMarkVisible() const;
  void SetActive(int active);
  int IsActive() const { return active_; }
  // The pending invalid area (logical); returns whether there was one, and clears it.
  int TakeInvalidRect(Rect& out);
  void DrawActiveBorder(DeviceContext& dc, const Rect* clip);
  // Clipped line drawing: MoveTo records the pen position; LineTo draws the part of the
  // segment inside clip (edges included) and moves the pen position to the point; PlotPoint
  // sets one pixel in the area colour when the point is inside clip.
  void MoveTo(DeviceContext& dc, Point p, const Rect& clip);
  void LineTo(DeviceContext& dc, Point p, const Rect& clip);
  void PlotPoint(DeviceContext& dc, Point p, const Rect& clip);
  // A filled outline in the current pen and brush.
  void Polygon(DeviceContext& dc, const Point* points, int count);
  // The outline of the area between a curve (points in ascending x) and the lower edge of
  // clip, inside clip: from the lower edge under the first visible point along the curve,
  // held at the upper edge where the curve rises above clip, back to the lower edge under
  // the last visible point. Returns the number of outline points, 0 when nothing of the
  // area lies inside clip (the curve is wholly below it or beside it).
  static int ClipPolygon(const Point* curve, int count, const Rect& clip,
                         std::vector<Point>& outline);
  // Places the mark at a device point; returns the peak side searched (-1 none).
  int SetMark(DeviceContext& dc, int deviceX, int deviceY);
  // Moves the plot rectangle inside the unchanged box rectangle, lets the box lay out what
  // depends on it (PlotRectMoved) and applies the current value ranges to it again; returns
  // the box rectangle. The information box keeps its empty plot rectangle.
  Rect SetPlotRect(const Rect& plot);

  // --- state the document and the view read and write ---
  const Rect& GetRect() const { return boxRect_; }
  const Rect& PlotRect() const { return plotRect_; }
  CCordConv& X() { return x_; }
  CCordConv& Y() { return y_; }
  const CCordConv& X() const { return x_; }
  const CCordConv& Y() const { return y_; }
  CWave* Wave() const { return wave_; }
  AnalysisContext* Settings() const { return settings_; }
  int Channel() const { return channel_; }
  uint16_t ValidFlags() const { return validFlags_; }
  void SetValidFlags(uint16_t flags) { validFlags_ = flags; }
  double MarkValue() const { return markValue_; }
  void SetMarkValue(double value) { markValue_ = value; }
  double MarkLevel() const { return markLevel_; }
  int GridShown() const { return gridShown_; }
  void SetGridShown(int on) { gridShown_ = on; }
  int PeakSearch() const { return peakSearch_; }
  void SetPeakSearch(int on) { peakSearch_ = on; }
  int CrossHair() const { return crossHair_; }
  void SetCrossHair(int on) { crossHair_ = on; }
  int MarkShown() const { return markShown_; }
  void SetMarkShown(int on) { markShown_ = on; }
  int PlacedByUser() const { return placedByUser_; }
  void SetPlacedByUser(int placed) { placedByUser_ = placed; }
  int SelectionFirst() const { return selectionFirst_; }
  int SelectionLast() const { return selectionLast_; }
  void SetSelection(int first, int last) {
    selectionFirst_ = first;
    selectionLast_ = last;
  }

  // --- mouse interaction (box_mouse.cpp) ---
  // The view forwards the left button and the pointer's moves in device coordinates, with a
  // context prepared for drawing; the box moves and sizes itself, sets its mark, zooms to a
  // rubber band or picks a 3D slice, by the application's mouse operation.
  //
  // Hit codes: bits 8-9 say what a drag does to the horizontal extent (1 right edge, 2 left
  // edge, 3 the whole box), bits 10-11 the same for the vertical extent in device terms (1
  // bottom, 2 top, 3 the whole box), bit 12 a point in the plot. The low byte is the cursor
  // shape: 1 plot, 2 move, 3 and 4 the diagonal sizing shapes, 5 horizontal, 6 vertical;
  // during a drag also 7 to 10 (zoom band right-down, right-up, left-down, left-up) and 11 to
  // 13 (mark set without peak search, on a peak, in a trough).
  static constexpr int32_t kHitLeftEdge = 0x205;
  static constexpr int32_t kHitRightEdge = 0x105;
  static constexpr int32_t kHitTopEdge = 0x806;
  static constexpr int32_t kHitBottomEdge = 0x406;
  static constexpr int32_t kHitTopLeft = 0xA03;
  static constexpr int32_t kHitBottomRight = 0x503;
  static constexpr int32_t kHitTopRight = 0x904;
  static constexpr int32_t kHitBottomLeft = 0x604;
  static constexpr int32_t kHitMove = 0xF02;
  static constexpr int32_t kHitPlot = 0x1001;
  static constexpr int32_t kHitCursorMask = 0xFF;
  static constexpr int32_t kHitSizeMask = 0xF00;     // a sizing or move code
  static constexpr int32_t kHitInPlot = 0x1000;
  static constexpr int32_t kDragBelowThreshold = 0x2000;  // not yet moved more than 3 pixels
  static constexpr int32_t kDragBandShown = 0x4000;       // a zoom band is on the surface
  static constexpr int32_t kMarkChanged = 0x10000;        // in OnLButtonUp's result

  // What a click into a plot does (the application's "MouseOp" setting).
  enum MouseOperation : int { kMouseMark = 0, kMouseZoomBand = 1, kMouseSlice = 2 };
  // The operation for every box of the application (1 until told otherwise).
  static void SetMouseOperation(int operation);
  static int GetMouseOperation();

  // The hit code of a device point for device rectangles of the box and its plot.
  static int32_t HitTest(const Rect& box, const Rect& plot, Point p);
  // The hit code of the point (no button down), or the code of the drag in progress.
  int32_t OnMouseMove(DeviceContext& dc, int x, int y);
  // Starts a drag; the new drag state, 0 when the point lies outside the box.
  int32_t OnLButtonDown(DeviceContext& dc, int x, int y);
  // Ends the drag: kMarkChanged when the mark was set, with the hover code at the point.
  // A moved or sized box, or a zoom, leaves an invalid rectangle (TakeInvalidRect).
  int32_t OnLButtonUp(DeviceContext& dc, int x, int y);
  // The device box rectangle of the drag start moved or sized by (dx, dy) as the code says:
  // never smaller than its label margins (10 x 10 for the information box) and never left of
  // or above the page's origin.
  Rect DragRect(const DeviceContext& dc, int32_t code, int dx, int dy) const;
  // Moves the box to a new logical rectangle, the plot keeping its margins, and marks it as
  // placed by the user; returns the union of the old and the new rectangle.
  Rect MoveBox(const Rect& box);
  // Zooms the axes to a band between two logical points: in for a band dragged right
  // (horizontally) or down (vertically), out by plot size / band size the other way. A band
  // without width or height leaves that axis alone.
  void ZoomToBand(Point start, Point end);
  int32_t DragState() const { return dragState_; }
  const Rect& DragRectangle() const { return dragRect_; }

 protected:
  // Called by SetPlotRect after the plot rectangle moved, before the axes follow it: a box
  // whose geometry derives from the plot lays it out again here.
  virtual void PlotRectMoved() {}
  // How the scale walk lays out grid lines, labels and tick marks. A flat box draws grid
  // lines straight across the plot; a box with depth continues them back to its back wall
  // and leans its X labels and tick marks along the depth.
  struct ScaleGeometry {
    bool backWall = false;
    Point depth;                // from the front of the plot to the back wall
    int32_t labelSlant = 0;     // X labels and the ends of their tick marks lean left this far
    int32_t xTickMarkStart = 10;  // below the axis, where an X tick mark starts
    int32_t yLabelGap = 0;      // between the right edge of the Y labels and the plot
  };
  // Walks both axes' ticks: grid lines when the grid is shown, and labels with X tick marks
  // where they do not overlap an earlier label (only when the labels are not yet drawn and
  // the box has a label margin).
  void DrawScaleWalk(DeviceContext& dc, const Rect* clip, const ScaleGeometry& geometry);
  // A plot of at most 0.9 mm either way is too small to draw a scale or a curve into.
  bool PlotTooSmall() const { return plotRect_.Width() <= 9 || plotRect_.Height() <= 9; }
  // The label cell of the analysis settings (110 x 35 without settings).
  StringSize LabelCell() const;
  // The document font of the analysis settings, when there is one.
  const LogFont* DocumentLogFont() const;
  // The clip rectangle of a drawing call: clip, or the given default without one.
  static Rect ClipOr(const Rect* clip, const Rect& fallback) { return clip ? *clip : fallback; }
  // Traces r as (left, top) - (left, bottom) - (right, bottom) - (right, top) - (left, top)
  // with the current pen, clipped to clip.
  void TraceRect(DeviceContext& dc, const Rect& r, const Rect& clip);
  // Title suffix of a channel: "L-ch", "R-ch", "Mono" or "L+R".
  std::string ChannelTitle() const;
  // The XOR rubber band around a device rectangle: drawing it twice removes it.
  void DrawBand(DeviceContext& dc, const Rect& device);
  // The plot rectangle of GetPlotRect in device coordinates, and whether p lies in it.
  bool InShownPlot(const DeviceContext& dc, Point device) const;
  // The slice selection of a 3D spectrum box (mouse operation 2); nothing for other boxes.
  void SelectSliceAt(DeviceContext& dc, Point device, int release);

  CWave* wave_ = nullptr;
  AnalysisContext* settings_ = nullptr;
  int16_t channel_ = 0;
  Rect boxRect_{200, 0, 300, 100};
  Rect plotRect_{200, 0, 300, 100};
  ColorSet colors_ = kBoxDefaultColors;
  CCordConv x_;
  CCordConv y_;
  double reserved_[4] = {};
  std::vector<Point> points_;
  bool pointsLocked_ = false;
  int pointRows_ = 0;
  int pointColumns_ = 0;
  int pointsInUse_ = 0;
  int32_t gridShown_ = 1;
  int32_t reservedInt_ = 0;
  double markValue_ = -1.0;
  double markLevel_ = 0.0;
  int32_t dragState_ = 0;
  int32_t active_ = 0;
  Point dragStart_;
  Rect dragRect_;
  int32_t invalidPending_ = 0;
  Rect invalidRect_;
  Point penPosition_;
  uint16_t validFlags_ = 0;
  int32_t selectionFirst_ = 0;
  int32_t selectionLast_ = 0;
  int32_t peakSearch_ = 1;
  int32_t placedByUser_ = 0;
  int32_t crossHair_ = 0;
  int32_t markShown_ = 1;
};

// Cohen-Sutherland clipping of the segment a-b to clip (edges included), in integers.
// False when nothing of it is inside; otherwise a and b become the visible part.
bool ClipSegment(Point& a, Point& b, const Rect& clip);
