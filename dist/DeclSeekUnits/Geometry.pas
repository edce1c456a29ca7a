unit Geometry;

{ Points and rectangles on a plane, for the demo index of the unit finder. }

interface

type
  TPoint2D = record
    X, Y: Double;
  end;

  TRect2D = record
    Left, Top, Right, Bottom: Double;
  end;

function Distance(const A, B: TPoint2D): Double;
function RectContains(const R: TRect2D; const P: TPoint2D): Boolean;
procedure OffsetPoint(var P: TPoint2D; DX, DY: Double);

implementation

function Distance(const A, B: TPoint2D): Double;
begin
  Result := Sqrt(Sqr(A.X - B.X) + Sqr(A.Y - B.Y));
end;

function RectContains(const R: TRect2D; const P: TPoint2D): Boolean;
begin
  Result := (P.X >= R.Left) and (P.X <= R.Right) and (P.Y >= R.Top) and (P.Y <= R.Bottom);
end;

procedure OffsetPoint(var P: TPoint2D; DX, DY: Double);
begin
  P.X := P.X + DX;
  P.Y := P.Y + DY;
end;

end.
