unit TextTools;

{ Small helpers for strings. }

interface

type
  TTextStats = record
    Letters, Words, Lines: Integer;
  end;

function ReverseText(const S: string): string;
function CountWords(const S: string): Integer;
function TextStats(const S: string): TTextStats;
procedure TrimAll(var Lines: array of string);

implementation

function ReverseText(const S: string): string;
var
  I: Integer;
begin
  SetLength(Result, Length(S));
  for I := 1 to Length(S) do
    Result[I] := S[Length(S) - I + 1];
end;

function CountWords(const S: string): Integer;
var
  I: Integer;
  InWord: Boolean;
begin
  Result := 0;
  InWord := False;
  for I := 1 to Length(S) do
    if S[I] > ' ' then
    begin
      if not InWord then
        Inc(Result);
      InWord := True;
    end
    else
      InWord := False;
end;

function TextStats(const S: string): TTextStats;
var
  I: Integer;
begin
  Result.Letters := 0;
  Result.Lines := 1;
  for I := 1 to Length(S) do
    if S[I] = #10 then
      Inc(Result.Lines)
    else if S[I] > ' ' then
      Inc(Result.Letters);
  Result.Words := CountWords(S);
end;

procedure TrimAll(var Lines: array of string);
var
  I: Integer;
begin
  for I := Low(Lines) to High(Lines) do
    Lines[I] := Trim(Lines[I]);
end;

end.
