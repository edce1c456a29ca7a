unit Shapes;

{ Shapes built on Geometry. }

interface

uses
  Geometry;

type
  TShape = class
  public
    function Area: Double; virtual; abstract;
    procedure MoveBy(DX, DY: Double); virtual; abstract;
  end;

  TCircle = class(TShape)
  private
    FCentre: TPoint2D;
    FRadius: Double;
  public
    constructor Create(const ACentre: TPoint2D; ARadius: Double);
    function Area: Double; override;
    procedure MoveBy(DX, DY: Double); override;
  end;

function UnitCircle: TCircle;

implementation

constructor TCircle.Create(const ACentre: TPoint2D; ARadius: Double);
begin
  inherited Create;
  FCentre := ACentre;
  FRadius := ARadius;
end;

function TCircle.Area: Double;
begin
  Result := Pi * Sqr(FRadius);
end;

procedure TCircle.MoveBy(DX, DY: Double);
begin
  OffsetPoint(FCentre, DX, DY);
end;

function UnitCircle: TCircle;
var
  Origin: TPoint2D;
begin
  Origin.X := 0;
  Origin.Y := 0;
  Result := TCircle.Create(Origin, 1);
end;

end.
