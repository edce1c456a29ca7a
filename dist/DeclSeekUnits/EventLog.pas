unit EventLog;

{ A tiny in-memory event log. }

interface

uses
  TextTools;

type
  TLogLevel = (llDebug, llInfo, llWarning, llError);

  TEventLog = class
  private
    FLines: array of string;
  public
    procedure WriteEvent(ALevel: TLogLevel; const AText: string);
    procedure Clear;
    function Count: Integer;
  end;

function LevelName(ALevel: TLogLevel): string;
procedure WriteEvent(const AText: string);

implementation

const
  LevelNames: array[TLogLevel] of string = ('debug', 'info', 'warning', 'error');

var
  GlobalLog: TEventLog;

function LevelName(ALevel: TLogLevel): string;
begin
  Result := LevelNames[ALevel];
end;

procedure TEventLog.WriteEvent(ALevel: TLogLevel; const AText: string);
begin
  SetLength(FLines, Length(FLines) + 1);
  FLines[High(FLines)] := LevelName(ALevel) + ': ' + AText;
end;

procedure TEventLog.Clear;
begin
  SetLength(FLines, 0);
end;

function TEventLog.Count: Integer;
begin
  Result := Length(FLines);
end;

procedure WriteEvent(const AText: string);
begin
  if GlobalLog = nil then
    GlobalLog := TEventLog.Create;
  GlobalLog.WriteEvent(llInfo, AText);
end;

end.
