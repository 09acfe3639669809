// TrazelFm: the plot window of one block instance and everything the block keeps.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "block/TraceStore.h"
#include "block/TrazelPicture_win.h"
#include "block/TrazelSettings.h"
#include "graphic/OVCanvas.h"
#include "graphic/WinHandles_win.h"

class TOVGraphic;
class TIntegerEdit;

class TForm1 {
 public:
  // FormCreate: defaults, trace store and graph object; the window is created hidden,
  // owned by the host window the library is bound to.
  TForm1();
  // FormDestroy: frees the trace store and the graph object with the window.
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The library owns its windows: those the host has not disposed of go when it unloads.
  static void DestroyRemaining();

  // Puts the pixels that steps drew on every window of the library onto the screen. A step
  // draws on its window at once but leaves the showing to the library's frame clock: the step
  // that finds a frame's time passed, the frame timer while the host pumps messages, the end
  // of the run, printing.
  static void ShowPendingPixels();

  HWND Handle() const { return hwnd_; }
  HWND DrawingArea() const { return scrollBox1_; }

  // The block's settings; read and written directly by the entry points and the dialog, which
  // call SettingsChanged after writing them.
  TPlotSettings Settings;
  // The next step lays out the graph from the settings again.
  void SettingsChanged() { stepReady_ = pictureValid_ = false; }
  // The trace store filled by the simulation.
  TTraceStore Traces;
  // The graph object that draws grid, axes and curves.
  std::unique_ptr<TOVGraphic> Graph;

  TColor LineColor() const { return lineColor_; }
  int LineWidth() const;

  void UpdateStatusBar();
  std::string StatusText() const;
  void SetCaption(const char* title);

  // One simulation sample: records it by the pen rule and draws the newest segment.
  void Simulate(long double x, long double y, long double control);
  // Starts a run: caption, empty store, repaint, first sample.
  void InitSimulation(const char* title, long double x, long double y, long double control);

  // Draws the whole picture: to the screen through an off-screen bitmap, or onto the
  // page of the open print job.
  void Redraw(bool toPrinter);
  // The window's caption.
  std::string Caption() const;
  // Invalidates the drawing area and paints it before returning.
  void RepaintDrawingArea();

  // Commands of the toolbar.
  void Einstellungen1Click();
  void Drucken2Click();
  void ToolButton6Click();
  void UpDown1Click();
  // Commands of the drawing area's context menu.
  void MesswerteExportierenClick();
  void BildKopierenClick();
  void BildSpeichernClick();

  // Window procedures of the window and of its drawing area (registered once per process).
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ScrollBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static std::set<TForm1*>& LiveForms();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCreate();
  void OnSize();
  void OnCommand(int id);
  // The drawing area's context menu at a point of the screen, or below the area's top-left
  // corner for the keyboard (at == -1); its command runs before this returns.
  void OnContextMenu(LPARAM at);
  // Keys of the drawing area while it has the focus; true when the key was a command.
  bool OnAreaKey(WPARAM key);
  LRESULT OnNotify(NMHDR* hdr);
  void PaintBox1Paint();
  void CreateToolBar();
  void CreateLineWidthControls();
  RECT PaintBoxRect() const;
  void SetupGraph(TOVGraphic& graph, TCanvas& canvas, const RECT& r);
  void DrawNewestSegment(int points);
  // Binds the graph to the drawing area's own device context, laid out as the last full
  // drawing left it, with the pen of the segments.
  void PrepareStep();
  // Notes the window's drawn pixels for the next showing of the library's frame clock.
  void NotePendingPixels();
  // Grid or nothing and axes when switched on (the layer), then every trace, on a canvas.
  void DrawPicture(TCanvas& canvas, const RECT& r, bool hasBackground);
  void DrawLayer(TCanvas& canvas, const RECT& r, bool hasBackground);
  void DrawTraces(TOVGraphic& graph, TCanvas& canvas);
  // The kept pictures of the drawing area at size r, made when missing or of another size;
  // false when they cannot be made.
  bool KeepPictures(const RECT& r);
  void ComposeLayer(const RECT& r, bool hasBackground);
  void ComposePicture(const RECT& r);
  // Reads the background picture when its file changed; true when there is one to draw. A file
  // that cannot be read is reported once, after the painting (see OnPictureFault).
  bool RefreshBackground();
  void PaintGround(HDC dc, const RECT& fill, const RECT& r, bool hasBackground);
  void DrawOnScreen(const RECT& r, bool hasBackground);
  void DrawKeptOnScreen(const RECT& r, bool hasBackground);
  void DrawOnPrinter(const RECT& r, bool hasBackground);
  // The whole picture of the drawing area (area: its client rectangle) as the clipboard takes
  // it: drawn through the graph onto a metafile, and the kept picture's pixels as a packed
  // bitmap of 24 bits. Empty when there is no room for it.
  win::TUniqueEnhMetaFile PictureAsMetafile(const RECT& area);
  win::TUniqueGlobal PictureAsBitmap(const RECT& area);
  std::string PictureFileBytes(bool asMetafile, std::vector<uint8_t>& bytes);
  void OnPictureFault();
  void PrintPicture();

  HWND hwnd_ = nullptr;
  HWND toolBar1_ = nullptr;
  HWND label1_ = nullptr;
  HWND integerEdit1_ = nullptr;
  std::unique_ptr<TIntegerEdit> lineWidthEdit_;  // takes over integerEdit1_
  HWND upDown1_ = nullptr;
  HWND scrollBox1_ = nullptr;
  HWND statusBar1_ = nullptr;
  win::TUniqueFont font_;
  HIMAGELIST imageList1_ = nullptr;
  HDC printerPage_ = nullptr;  // the page of the open print job, if any
  TBackgroundPicture background_;
  TColor lineColor_ = RGBColor(0, 0, 255);
  // The line width of the last full drawing, which the simulation's segments keep: it changes
  // only with UpDown1, which repaints, and asking the control costs more than a whole step.
  int paintedLineWidth_ = 1;
  // Whether paintedLineWidth_ is the control's position: asking the control costs a fifth of
  // a repaint that copies the kept picture, so it is asked again only when its field changed.
  bool lineWidthKnown_ = false;
  COLORREF customColors_[16] = {};
  bool pixelsPending_ = false;  // drawn since the last showing
  // What a step needs, kept from one step to the next: the drawing area's own device context
  // (its window class gives it one for its lifetime) with a canvas over it, and whether the
  // graph is bound to that canvas and laid out for the present size and settings. Anything
  // else that binds or lays out the graph (a full drawing, printing) or changes the size or
  // the settings clears stepReady_.
  win::TWindowDC stepDC_;
  std::unique_ptr<TCanvas> stepCanvas_;
  bool stepReady_ = false;

  // Kept pictures of the drawing area, so that a repaint costs one copy: the layer without
  // the traces (white, background picture, grid, axes), and the whole picture (the layer and
  // every trace), into which each step draws its segment as well, through a graph of its own.
  struct TKeptBitmap {
    win::TUniqueDC Dc;
    win::TUniqueBitmap Bitmap;
    win::TSelectGuard Selected;  // last: gives the device context its bitmap back first
    int Width = 0, Height = 0;
    bool Make(HDC screen, int width, int height);
  };
  // What the layer was drawn from.
  struct TLayerKey {
    int Width = -1, Height = -1;
    TPlotSettings Settings;
    int GridMode = -1;
    bool HasBackground = false;
    uint64_t FileSize = 0, FileTime = 0;
    bool operator==(const TLayerKey& o) const;
  };
  TLayerKey LayerKeyNow(const RECT& r, bool hasBackground) const;
  TKeptBitmap layer_;
  TKeptBitmap picture_;
  std::unique_ptr<TCanvas> pictureCanvas_;  // over picture_, made with it
  std::unique_ptr<TOVGraphic> pictureGraph_;
  TLayerKey layerKey_;
  bool layerValid_ = false;
  // The picture holds the layer and every stored point in the line colour and width of
  // pictureColor_ and pictureWidth_.
  bool pictureValid_ = false;
  TColor pictureColor_ = 0;
  int pictureWidth_ = 0;
};

// WindowSlot of the host record: the window itself on 32-bit, a token on 64-bit builds.
uint32_t FormToSlot(TForm1* form);
TForm1* FormFromSlot(uint32_t slot);
// Forgets the slot of a destroyed window.
void ReleaseSlot(uint32_t slot);

// Registers the window classes; called once by the library's load step.
void RegisterPlotWindowClasses();
void UnregisterPlotWindowClasses();
